#pragma once

#include <QString>

// Where an export may write its spreadsheet. It replaces the file it names,
// so it must never name one of the program's archives, its password file,
// its settings file or an append's journal (whether or not the file is
// there yet: a spreadsheet under an archive's name would later be read as
// cards), however it is reached: through links, or through a second name
// of the program folder, which is recognised by its device and inode. Nor
// may it name an existing file that is not a spreadsheet this program wrote.
namespace ExportTarget {

// Empty when `path` may be written; otherwise why not, in Italian.
QString refusal(const QString& path);

// The same for the complete CSV: an existing file is replaced only when it
// is a complete CSV this program wrote.
QString csvRefusal(const QString& path);

// The same for the complete export as a spreadsheet file (.xlsx).
QString xlsxRefusal(const QString& path);

// The same for a MARC file: an existing file is replaced only when it
// begins as a MARC file does (an ISO 2709 leader, or a MARCXML collection).
QString marcRefusal(const QString& path);

// The same for a PDF file (the label sheets): `path` must end in ".pdf"
// (callers that name the option say so first), and an existing file is replaced only when what it leads to, through
// every link, is a ".pdf" too, so that a link named .pdf that leads to an
// archive or the password file is refused.
QString pdfRefusal(const QString& path);

} // namespace ExportTarget
