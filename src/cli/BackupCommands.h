#pragma once

#include <QString>

class QTextStream;

// The command-line verbs of the safety copies, over the program folder
// already chosen: "backup" (into `to`, or the copies' folder with the
// oldest beyond the kept number removed), "backups" and "restore".
namespace BackupCommands {

int backup(const QString& to, QTextStream& out, QTextStream& err);
int list(QTextStream& out, QTextStream& err);
int restore(const QString& zip, QTextStream& out, QTextStream& err);

// One line of the list, as the copies screen shows it: file, date and
// time, size, cards of each archive.
QString cardsText(const QList<QPair<QString, qint64>>& cards);

} // namespace BackupCommands
