#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QTextStream;
struct Collection;

// tomaria-cli labels: the labels screen's work, written to a PDF file.
namespace LabelsCommand {

// `options` are the "--name value" pairs given (name without the dashes).
// Returns the exit code: 0 written, 2 bad arguments or a file that cannot
// be read or written.
int run(const Collection& collection, const QList<QPair<QString, QString>>& options, bool withCancelled,
    const QString& out, QTextStream& stdOut, QTextStream& err);

} // namespace LabelsCommand
