#pragma once

#include "core/storage/Record.h"
#include "core/storage/RecordLayout.h"
#include "core/collections/Books.h"

#include <QByteArray>
#include <QString>

// Books for the label tests, written as the card screen stores them.
namespace LabelFixtures {

struct Book {
    QString code;
    QString shelf = QStringLiteral("Sala A");
    bool cancelled = false;
    QString title = QStringLiteral("Titolo");
    QString author = QStringLiteral("Eco, Umberto");
    QString dewey = QStringLiteral("853");
};

inline QByteArray bookRecord(const Book& b)
{
    Record r(TSchedaLibro);
    r.setText("Titolo", b.title);
    r.setText("Codice", b.code);
    r.setText("Autore", b.author);
    r.setText("Scaffale", b.shelf);
    r.setText("Dewey", b.dewey);
    r.setText("Annullata", b.cancelled ? QStringLiteral("Sì") : QStringLiteral("No"));
    return r.bytes();
}

} // namespace LabelFixtures
