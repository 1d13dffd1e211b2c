#pragma once

#include <QString>

struct Collection;

// What the web catalogue says of a card beyond its public fields.
namespace CardFacts {

// "disponibile", "in prestito" or, where the card holds the day it is due
// back, "in prestito fino al gg/mm/aaaa"; empty for a collection that never
// lends. Read from the loan fields, whose values are never shown.
QString availability(const Collection& collection, const char* record);

// A field's value as a page shows it: decoded and trimmed.
QString value(const Collection& collection, const char* record, std::string_view field);

} // namespace CardFacts
