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
    bool xml = false;   // MARCXML instead of ISO 2709
    bool force = false; // --out may replace an existing file of another kind
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

// A reader of the MARC file for the import into `collection` (the books
// only): nullptr when the options are wrong, `refusal` then says why.
// Numbered codes follow the highest of `archivePath`. The caller has
// recognised the file as MARC by its first bytes (MarcHead).
std::unique_ptr<CardRowSource> importSource(
    const Collection& collection, const QString& archivePath, const ImportGiven& given, QString* refusal);

// Whether any of the MARC import's options was given.
inline bool asked(const ImportGiven& given)
{
    return !given.syntax.isEmpty() || !given.codeTag.isEmpty() || given.codePrefixGiven;
}

// Why the MARC import's options are refused for another collection.
QString notForBooksOnly();

QString importUsage();

// Whether the MARC export was asked for.
inline bool asked(const Given& given)
{
    return given.marc21 || given.unimarc || given.xml;
}

QString exportUsage();

} // namespace MarcCommands
