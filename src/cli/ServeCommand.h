#pragma once

#include <QString>

class QTextStream;

// tomaria-cli serve: the catalogue for readers over HTTP (pages and SRU),
// read-only, until the process is stopped.
namespace ServeCommand {

// The options as given (empty: not given).
struct Given {
    QString port;    // default 8080; 0: any free port
    QString address; // default the loopback address
    QString log;     // default CatalogueLog::defaultPath()
};

// Serves the program folder's catalogue; returns only on a failure to
// start (exit code 2) or when the event loop ends. The first line on `out`
// is the address it serves.
int run(const Given& given, QTextStream& out, QTextStream& err);

QString usage();

} // namespace ServeCommand
