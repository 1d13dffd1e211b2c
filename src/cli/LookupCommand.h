#pragma once

#include "lookup/Catalogue.h"

#include <QString>

class QTextStream;

// tomaria-cli lookup: what the book card's "Compila dal catalogo" would
// fill for an ISBN, one "Field<TAB>value" line each, then the catalogue
// that answered.
namespace LookupCommand {

// The options as given (empty: not given).
struct Given {
    QString catalogue; // a catalogue of Tomaria.ini, by name
    QString server;    // z3950://HOST:PORT/DATABASE or an SRU base address
    QString syntax;    // marc21 or unimarc
};

// Returns the exit code: 0 found, 1 no catalogue had the ISBN, 2 no
// catalogue answered or bad arguments.
int run(const QString& isbn, const Given& given, QTextStream& out, QTextStream& err);

QString usage();

// The catalogues to ask, as the options choose them from Tomaria.ini or
// name one; empty, or why the options are refused.
QString choose(const Given& given, QList<Catalogue>* catalogues, int* timeoutMs, QStringList* faults);

} // namespace LookupCommand
