#pragma once

#include <QString>

class QTextStream;
struct Collection;

// The command-line verbs of the lending desk, over the program folder
// already chosen, with the desk's own rules:
//   lend CODE --to NAME [--date dd/mm/yyyy]   return CODE
//   reminders [--days N] --out FILE.pdf       stocktake COLLECTION [--shelf S] CODES.txt
// Exit codes: 0 done; 1 a code of no card, a cancelled card or a card that
// cannot be lent or returned now; 2 a code held by several cards (their
// positions listed), bad arguments or a file that cannot be read or written.
namespace DeskCommands {

int lend(const QString& code, const QString& reader, const QString& date, QTextStream& out, QTextStream& err);
int giveBack(const QString& code, QTextStream& out, QTextStream& err);
int reminders(int days, const QString& pdf, QTextStream& out, QTextStream& err);
int stocktake(const Collection& collection, const QString& shelf, const QString& codesFile, QTextStream& out, QTextStream& err);

} // namespace DeskCommands
