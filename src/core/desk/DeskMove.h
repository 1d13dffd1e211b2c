#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct Collection;

// One lend or return made at the desk, with the card's bytes before and
// after it, so that it can be undone while the card is still as it left it.
struct DeskMove {
    enum class Kind { Lend, Return };

    QDateTime when;
    Kind kind = Kind::Lend;
    const Collection* collection = nullptr;
    qint64 index = 0;
    QString code, title, reader;
    QByteArray before, after;

    // "Prestito" or "Restituzione".
    QString kindText() const;
};
