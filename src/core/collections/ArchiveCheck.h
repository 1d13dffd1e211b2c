#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct Collection;

// Reads an archive without changing it and lists what is wrong with it.
namespace ArchiveCheck {

struct Report {
    bool readable = false;
    qint64 cards = 0;
    qint64 trailingBytes = 0;
    QList<qint64> overlongSlots;   // positions with a slot longer than its capacity
    QList<qint64> badCancelled;    // positions whose cancelled flag is neither "Sì" nor "No"
    QList<qint64> missingRequired; // positions with an empty required field
    QList<qint64> badAttachments;  // positions naming an attached file outside its folder

    bool clean() const
    {
        return trailingBytes == 0 && overlongSlots.isEmpty() && badCancelled.isEmpty() && missingRequired.isEmpty()
            && badAttachments.isEmpty();
    }
};

Report run(const Collection& collection, const QString& path);
QStringList describe(const Report& report);

// "1, 2, 3" with at most ten positions, then ", ...".
QString positions(const QList<qint64>& list);

} // namespace ArchiveCheck
