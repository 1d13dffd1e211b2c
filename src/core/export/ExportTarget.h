#pragma once

#include <QString>

// Where an export may write its spreadsheet. It replaces the file it names,
// so it must never name one of the program's archives or its password file
// (whether or not the file is there yet: a spreadsheet under an archive's
// name would later be read as cards), nor any existing file that is not a
// spreadsheet this program wrote.
namespace ExportTarget {

// Empty when `path` may be written; otherwise why not, in Italian.
QString refusal(const QString& path);

// The same for the complete CSV: an existing file is replaced only when it
// is a complete CSV this program wrote.
QString csvRefusal(const QString& path);

} // namespace ExportTarget
