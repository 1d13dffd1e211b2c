#pragma once

#include "core/storage/RecordLayout.h"

#include <QString>
#include <QStringList>

#include <span>
#include <string_view>

class Record;
class SampleCards;
struct ExportTable;
struct SearchTable;

// A field a stored card never leaves empty, with the warning that says so.
struct RequiredField {
    std::string_view field;   // record field, e.g. "Titolo"
    std::string_view message; // UTF-8, shown as it stands
};

// A help topic (resources/help/<topic>.txt) and the title its screen gives it.
struct HelpTopic {
    std::string_view topic; // "libri"
    std::string_view title; // UTF-8, e.g. "Applicazione Archivio Libri."
};

// How a collection that lends its items reads a card's loan date, and how
// the loans list names its cards.
struct LoanRule {
    bool dateIsDue;        // true: the day it is due back; false: the day it was lent
    std::string_view name; // "Libro", at most five characters
    // What the loans screen and the statistics say of its dates, UTF-8,
    // after the collection's plural; a rule without them is a fault of its table.
    std::string_view dateWords = {}; // what its date is: "la data del prestito"
    std::string_view lateWords = {}; // which ones "!" marks: "prestati da troppi giorni"
    std::string_view overdue = {};   // which ones count as overdue, %1 the days: "prestati da più di %1 giorni"
    // What a lent card without a due date means; empty when it means nothing.
    std::string_view undated = {};
};

// The one-page information sheet of a card: a caption and a record field
// per row, from the top.
struct PrintSheet {
    struct Row {
        std::string_view caption; // UTF-8, "Titolo libro:"
        std::string_view field;   // record field, printed from its card control
    };
    std::string_view windowCaption; // the print screen's caption
    std::string_view reportName;
    std::string_view title;
    std::span<const Row> rows;
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
    // Its pictures "tile_<picture>" and "btn_<picture>" (the main menu's
    // tile and the guide's cover).
    std::string_view picture;
    HelpTopic cardHelp;
    HelpTopic exportHelp;
    const LoanRule* loans;    // nullptr: its cards are never lent
    const PrintSheet* sheet;  // nullptr: no card print
    // Fills a generated card number `serial`; every collection has one, or
    // `tomaria-cli sample` would write blank cards.
    void (*sample)(SampleCards& words, Record& record, int serial);
    // Its cards named in a sentence, UTF-8, lower case: "libri", with its
    // article "i".
    std::string_view plural = {};
    std::string_view article = {};
    // The values of the yes/no slots ("Annullata", "Convalida").
    std::string_view yes = "S\u00ec";
    std::string_view no = "No";

    bool yearly() const { return archiveFile.empty(); }
    // "i libri": the plural with its article.
    QString pluralWithArticle() const;
    bool hasCancelledFlag() const;

    // The archive's file name in the program folder; `year` only for yearly
    // ones, taken trimmed.
    QString archiveName(const QString& year = {}) const;

    // Every field that the collection's tables name and its layout lacks,
    // as "table: field"; empty when the tables are sound. A misspelt name
    // is a fault of the program, found at start-up, never at a user's click.
    QStringList tableFaults() const;

    // The collections in menu order. add() appends one (a collection
    // defined elsewhere than here) unless its key is taken; false then, or
    // when its tables are not sound.
    static std::span<const Collection* const> all();
    static bool add(const Collection& collection);
    static const Collection* find(std::string_view key);
    // The command line's names of the collections that `has` accepts, in
    // menu order.
    static QStringList keys(bool (*has)(const Collection&));
    // Their plurals ("libri"), with the article ("i libri") if asked.
    static QStringList plurals(bool (*has)(const Collection&), bool withArticle);
    static const Collection& books();
    static const Collection& dvd();
    static const Collection& articles();
};
