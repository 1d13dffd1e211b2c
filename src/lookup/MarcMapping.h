#pragma once

#include "lookup/Catalogue.h"
#include "lookup/CatalogueRecord.h"

class MarcRecord;

// From a MARC 21 or UNIMARC record to the book card's fields: which tag and
// subfields feed which field, the end punctuation trimmed, names kept as
// "Surname, Name", the language code turned into the card's list name, the
// Dewey class cut to its first three digits, and every value cut to its
// field's capacity with the characters the archive cannot hold made "?".
namespace MarcMapping {

CatalogueRecord card(const MarcRecord& record, Catalogue::Syntax syntax);

// The card's language for a MARC language code ("ita" -> "Italiano");
// empty for a code the card's list has no name for.
QString language(QStringView code);

// A subfield's value without the punctuation MARC carries at its end
// (" /", " :", " ;", " =", ",", a final full stop that is not an initial's).
QString trimEnd(QStringView value);

} // namespace MarcMapping
