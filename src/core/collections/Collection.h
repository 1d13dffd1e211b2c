#pragma once

#include "core/storage/RecordLayout.h"

#include <QString>
#include <QStringList>

#include <span>
#include <string_view>

struct ExportTable;
struct SearchTable;

// A field a stored card never leaves empty, with the warning that says so.
struct RequiredField {
    std::string_view field;   // record field, e.g. "Titolo"
    std::string_view message; // UTF-8, shown as it stands
};

// One collection described as data: its record layout, where its archive
// lives, the tag its screens use between them, the fields a card needs and
// the tables of its searches and export. Nothing compares collections by
// identity; code reads these fields.
struct Collection {
    std::string_view key;       // "books", "dvd", "articles" (the command line's names)
    std::string_view callerTag; // "libri", "dvd", "bibliografie"
    const RecordLayout* layout;
    std::string_view archiveFile;  // "Libri.pro"; empty for yearly archives
    std::string_view yearlySuffix; // ".art": one archive per year, named by the year
    std::span<const RequiredField> required; // in the order Save checks them
    const SearchTable* search;
    const SearchTable* available; // nullptr: no available-for-loan search
    const ExportTable* exportTable;

    bool yearly() const { return archiveFile.empty(); }
    bool hasCancelledFlag() const;

    // The archive's file name in the program folder; `year` only for yearly
    // ones, taken trimmed.
    QString archiveName(const QString& year = {}) const;

    // Every field that the collection's tables name and its layout lacks,
    // as "table: field"; empty when the tables are sound. A misspelt name
    // is a fault of the program, found at start-up, never at a user's click.
    QStringList tableFaults() const;

    static std::span<const Collection* const> all();
    static const Collection* find(std::string_view key);
    static const Collection& books();
    static const Collection& dvd();
    static const Collection& articles();
};
