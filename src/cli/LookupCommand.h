#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QTextStream;

// tomaria-cli lookup: what the book card's "Compila dal catalogo" would
// fill for an ISBN, one "Field<TAB>value" line each, then the catalogue
// that answered.
namespace LookupCommand {

// `positional` is the ISBN alone; `options` the "--name value" pairs given
// (catalogue, server, syntax). Returns the exit code: 0 found, 1 no
// catalogue had the ISBN, 2 no catalogue answered or bad arguments.
int run(const QStringList& positional, const QList<QPair<QString, QString>>& options, QTextStream& out, QTextStream& err);

QString usage();

} // namespace LookupCommand
