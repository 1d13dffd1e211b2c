#pragma once

#include "core/collections/StatsSection.h"
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

// The fields that the labels, the code hints, the loans and the import read
// by the part they play, whatever the collection calls them. An empty role
// is one the collection does not have.
struct FieldRoles {
    std::string_view code; // the inventory code: labels and code hints need it
    std::string_view title;
    std::string_view person; // the surname on the spine: author, director
    std::string_view shelf;
    std::string_view dewey;    // the Dewey class on the spine
    std::string_view isbn;     // the code hints compare it
    std::string_view borrower; // who has the item: lent when it or the loan date is filled
    std::string_view loanDate; // the loan's date, read by the collection's LoanRule
};

// The caption beside a field on the card screen, UTF-8 ("Titolo libro:").
// The card screen shows it and the import accepts it as a column's name.
struct FieldCaption {
    std::string_view field;
    std::string_view caption;
    bool severalLines = false; // its card control holds several lines (a memo)
};

// One collection described as data: its record layout, where its archive
// lives, the tag its screens use between them, the fields a card needs and
// the tables of its searches and export. Nothing compares collections by
// identity; code reads these fields.
struct Collection {
    std::string_view key;       // "books", "dvd", "articles" (the command line's names)
    std::string_view callerTag; // "libri", "dvd", "bibliografie"
    const RecordLayout* layout;
    std::string_view archiveFile;            // "Libri.pro"; empty for yearly archives
    std::string_view yearlySuffix;           // ".art": one archive per year, named by the year
    std::span<const RequiredField> required; // in the order Save checks them
    const SearchTable* search;
    const SearchTable* available; // nullptr: no available-for-loan search
    const ExportTable* exportTable;
    // Its pictures "tile_<picture>" and "btn_<picture>" (the main menu's
    // tile and the guide's cover).
    std::string_view picture;
    HelpTopic cardHelp;
    HelpTopic exportHelp;
    const LoanRule* loans;   // nullptr: its cards are never lent
    const PrintSheet* sheet; // nullptr: no card print
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
    // Its name on the tabs of the labels and statistics screens, UTF-8: "Libri".
    std::string_view caption = {};
    FieldRoles roles = {};
    // What a spreadsheet may damage, besides the roles that say it already:
    // the fields other than the loan date that hold a date as gg/mm/aaaa
    // ("DataPub"), and the fields other than the code, shelf and ISBN whose
    // every character counts although they may look like a number
    // ("Prezzo": "12.50").
    std::span<const std::string_view> dateFields = {};
    std::span<const std::string_view> textNumbers = {};
    // The card screen's captions, in any order; a field without one shows none.
    std::span<const FieldCaption> captions = {};
    // The statistics sections, the totals first; none: the totals alone.
    std::span<const StatsSection> stats = {};

    bool yearly() const { return archiveFile.empty(); }
    // "i libri": the plural with its article.
    QString pluralWithArticle() const;
    bool hasCancelledFlag() const;
    // Whether `field` holds a date as gg/mm/aaaa: the loan date or one of
    // `dateFields`.
    bool isDateField(std::string_view field) const;
    // Whether `field` is text that a spreadsheet shows as a number or a date
    // when it looks like one: the code, shelf, ISBN or one of `textNumbers`.
    bool isTextNumber(std::string_view field) const;
    // The card screen's caption of `field` ("Città:"); empty when it has none.
    QString fieldCaption(std::string_view field) const;
    // Whether its cards get labels and code hints: they need an inventory code.
    static bool labelled(const Collection& collection) { return !collection.roles.code.empty(); }

    // The archive's file name in the program folder; `year` only for yearly
    // ones, taken trimmed.
    QString archiveName(const QString& year = {}) const;

    // Every field that the collection's tables, roles, captions and
    // statistics name and its layout lacks, as "table: field", and every
    // picture or help topic missing from the resources; empty when the
    // collection is sound. A misspelt name is a fault of the program, found
    // at start-up, never at a user's click.
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
};
