#pragma once

#include "cli/LookupCommand.h"

class QTextStream;

// tomaria-cli catalogue ISBNS.txt: a box of books catalogued from their
// ISBNs, one per line, each looked up in the catalogues in order; the
// cards found are appended to the book catalogue all together or not at
// all, numbered after the highest code with the prefix given.
namespace CatalogueCommand {

struct Given {
    LookupCommand::Given lookup;
    QString codePrefix;
    QString shelf;
    bool dryRun = false;
};

// 0 every ISBN found and the cards written (or, --dry-run, shown); 1 some
// had no record (the others are written); 2 bad arguments or a failure.
int run(const QString& path, const Given& given, QTextStream& out, QTextStream& err);

QString usage();

} // namespace CatalogueCommand
