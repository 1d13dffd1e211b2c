#pragma once

#include <QStringList>

class QTextStream;

// The command-line companion: search, export, check and sample over the
// archives of a program folder, with the same code as the screens.
namespace CommandLine {

// Runs one command; `args` excludes the program name. Returns the exit
// code: 0 done (check: clean; --help and --version print on `out`), 1 check
// found defects or import refused its file (nothing written), 2 bad
// arguments, or an archive or file that cannot be read or written.
// Messages are in Italian and say what failed and why.
int run(const QStringList& args, QTextStream& out, QTextStream& err);

QString usage();
// The verbs that write a file the user names (--out): each goes through
// the guard on users' files, and the tests build their table from this.
QStringList writingVerbs();
QString version();

} // namespace CommandLine
