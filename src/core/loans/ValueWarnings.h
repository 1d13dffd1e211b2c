#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct Collection;

// Values an archive holds that other screens cannot use, as a spreadsheet
// leaves them when a catalogue went through one without its columns kept
// as text: Dewey codes that are not three digits (the statistics count
// such a book "senza classe") and loan dates the loans overview cannot read
// ("data non leggibile"). For the archive check, as warnings only: the
// cards are sound and saved as they are.
namespace ValueWarnings {

struct Findings {
    QList<QPair<qint64, QString>> badDewey;        // position (from 1), the code as written
    QList<QPair<qint64, QString>> unreadableDates; // position (from 1), the date as written
};

// False when the archive cannot be read.
bool scan(const Collection& collection, const QString& path, Findings& findings);
QStringList describe(const Findings& findings);

} // namespace ValueWarnings
