#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// The command line run in this process: its exit status and what it wrote
// on each stream.
struct CliResult {
    int code;
    QString out;
    QString err;
};

inline CliResult cli(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = CommandLine::run(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}
