#pragma once

#include <QString>

class QTextStream;
struct Collection;

// tomaria-cli's MARC verbs: the book catalogue written as MARC records for
// another library's system.
namespace MarcCommands {

struct Given {
    bool marc21 = false;
    bool unimarc = false;
    bool xml = false; // MARCXML instead of ISO 2709
};

// export books --marc21|--unimarc [--xml] --out FILE. Returns the exit
// code: 0 written, 2 bad arguments or a failure (the previous file kept).
int exportBooks(const Collection& collection, const QString& archivePath, const QString& out, const Given& given,
    QTextStream& stdOut, QTextStream& err);

// Whether the MARC export was asked for.
inline bool asked(const Given& given)
{
    return given.marc21 || given.unimarc || given.xml;
}

QString exportUsage();

} // namespace MarcCommands
