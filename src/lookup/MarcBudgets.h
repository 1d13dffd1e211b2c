#pragma once

#include <QtGlobal>

// How much of a MARC file the program reads before it refuses the file:
// every limit in one place. No real record comes near them; a file that
// does is damaged or made to harm.
namespace MarcBudgets {

// ISO 2709 gives a record's length five digits: the longest there can be.
constexpr qsizetype kRecordBytes = 99999;
// A MARCXML record's text, markup included, read before it is refused.
constexpr qsizetype kXmlRecordBytes = 1024 * 1024;
// Fields in one record (a library's richest records have a few hundred).
constexpr int kFields = 2000;
// Subfields in one field.
constexpr int kSubfields = 500;
// Records in one file: the archive's own limit is far below.
constexpr qint64 kRecords = 2000000;

} // namespace MarcBudgets
