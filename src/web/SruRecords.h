#pragma once

#include <QString>

struct Collection;
class PublicFields;

// The records the SRU service answers with, built from a card's public
// fields by the part each plays (title, person, ISBN, Dewey class, shelf,
// code) and by name for the rest.
namespace SruRecords {

// A MARC 21 bibliographic record in MARCXML (namespace
// http://www.loc.gov/MARC21/slim).
QString marcXml(const Collection& collection, const char* record, const PublicFields& fields);

// A simple Dublin Core record (info:srw/schema/1/dc-v1.1).
QString dublinCore(const Collection& collection, const char* record, const PublicFields& fields);

} // namespace SruRecords
