#pragma once

#include <QString>

#include <memory>

class CardRowSource;

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
int exportBooks(const Collection& collection, const QString& archivePath, const QString& out, const Given& given, QTextStream& stdOut,
    QTextStream& err);

// import books FILE.mrc|FILE.xml: where the codes come from and which
// format the records are in (none: each record's own).
struct ImportGiven {
    QString syntax;     // marc21 or unimarc
    QString codeTag;    // "001", "852p": the records' own codes
    QString codePrefix; // numbered codes after the highest with this prefix
    bool codePrefixGiven = false;
};

// A reader of MARC files for the import of `collection` (the books only;
// nullptr for the others, or when the options are wrong: `refusal` then
// says why, or when the file, beginning with `head`, is no MARC file).
// Numbered codes follow the highest of `archivePath`.
std::unique_ptr<CardRowSource> importSource(
    const Collection& collection, const QString& archivePath, const QByteArray& head, const ImportGiven& given, QString* refusal);

QString importUsage();

// Whether the MARC export was asked for.
inline bool asked(const Given& given)
{
    return given.marc21 || given.unimarc || given.xml;
}

QString exportUsage();

} // namespace MarcCommands
