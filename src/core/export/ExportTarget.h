#pragma once

#include <QString>

// The one guard on every file written where the user says: each --out of
// the command line and each file chosen in a save or print dialog. Never
// written: a catalogue file, a side file or a program file of the program
// folder (archives of any collection and year, their journals and compact
// copies, the settings, identity, password and stocktake files, the
// executables and libraries), whether or not it is there yet and however
// it is reached (through links, a second name of the folder, a hard link:
// the system's identity of the file is compared); nor a folder, a device, a
// FIFO or a socket, nor a link to one. An existing file that this program
// wrote of the same kind is replaced; any other existing file only after a
// question on a screen, and on the command line only with --force.
namespace ExportTarget {

// What is written: says which existing files are "ours" and so replaced
// without a question.
enum class Kind {
    Spreadsheet,  // the export's spreadsheet (.xls)
    CompleteCsv,  // the complete CSV
    CompleteXlsx, // the complete .xlsx
    Pdf,          // label sheets, reminder letters, print to a PDF file
    Marc,         // MARC 21 or UNIMARC, ISO 2709 or MARCXML
};

enum class Verdict {
    Write,  // nothing there, or a file of this kind this program wrote
    Ask,    // an existing file of another kind: replaced only if the user says so
    Refuse, // never written
};

struct Check {
    Verdict verdict = Verdict::Write;
    QString message; // Italian: the refusal, or the reason behind Ask
};

Check check(const QString& path, Kind kind);

// The command line's reading: empty when `path` may be written; otherwise
// the refusal, in Italian. An existing file of another kind is replaced
// only with `force`.
QString refusal(const QString& path, Kind kind, bool force);

// The question a screen asks before replacing a file of another kind.
QString question(const QString& path);

// Whether `name` (without folder) is one that a file of the program folder
// has or would have: an archive, a side file, a settings or password file,
// an executable or a library. Compared as Windows finds files, without
// regard to case.
bool isProgramFileName(const QString& name);

} // namespace ExportTarget
