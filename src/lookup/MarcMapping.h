#pragma once

#include "lookup/Catalogue.h"
#include "lookup/CatalogueRecord.h"

#include <QStringList>

class MarcRecord;
class Record;

// Between a MARC 21 or UNIMARC record and the book card's fields, both
// ways, from one table of which tag and subfields hold which field: the
// punctuation MARC puts around values trimmed, names kept as "Surname,
// Name", the language code turned into the card's list name, the Dewey
// class cut to its first three digits, ISBNs without hyphens, and every
// value cut to its field's capacity with the characters the archive cannot
// hold made "?".
namespace MarcMapping {

struct ReadOptions {
    // The ISBN asked for, in any of its forms: among several ISBNs the
    // record gives, the matching one is kept.
    QStringList isbns;
    // The library's own fields (Codice, Scaffale, Note), which a catalogue
    // answering a look-up does not fill but a MARC file being imported
    // does. `codeTag` says where the code is: "001" or a tag and subfield
    // such as "852p"; empty: no code is read.
    bool localFields = false;
    QString codeTag;
    // When given, the fields whose value was cut to the field's capacity,
    // and those where characters the archive cannot hold became "?".
    QStringList* cut = nullptr;
    QStringList* unwritable = nullptr;
};

CatalogueRecord card(const MarcRecord& record, Catalogue::Syntax syntax, const ReadOptions& options = {});

// The MARC record of a book card, as the catalogues of both formats write
// it (UTF-8, the leader saying so): what card() reads back into the same
// fields, the code in 001. The one builder of a card's MARC record, for
// export files and for any catalogue service the program offers.
MarcRecord record(const Record& book, Catalogue::Syntax syntax);

// The card's fields the MARC record holds, in the card's order: what a
// round trip gives back.
const QStringList& mappedFields();

// The card's language for a MARC language code ("ita" -> "Italiano");
// empty for a code the card's list has no name for.
QString language(QStringView code);
// The other way: the MARC code of a language name of the card's list,
// empty when it has none.
QString languageCode(QStringView name);

// A subfield's value without the punctuation MARC carries at its end
// (" /", " :", " ;", " =", ",", a final full stop that is not an initial's).
QString trimEnd(QStringView value);
// Without the punctuation UNIMARC puts at a subfield's start (", Isaac",
// ": romanzo").
QString trimStart(QStringView value);

} // namespace MarcMapping
