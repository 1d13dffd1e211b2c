#pragma once

#include <QString>

class QTextStream;

// The command-line verbs of the safety copies, over the program folder
// already chosen: "backup" (into `to`, or the copies' folder with the
// oldest beyond the kept number removed), "backups" and "restore".
namespace BackupCommands {

int backup(const QString& to, QTextStream& out, QTextStream& err);
int list(QTextStream& out, QTextStream& err);
int restore(const QString& zip, QTextStream& out, QTextStream& err); // asks on standard input
// A copy of another catalogue is restored only when `in` answers yes.
int restore(const QString& zip, QTextStream& out, QTextStream& err, QTextStream& in);

} // namespace BackupCommands
