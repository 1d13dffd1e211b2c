#pragma once

#include <QtGlobal>

// What the program accepts from outside, in one table: every reader of a
// file or an answer it did not write itself holds at most this much, so
// that any input, however large or hostile, is read in memory well under
// 200 MB and in time linear in its size, and beyond a limit refused with a
// message in Italian instead of being held. No card of any collection
// comes near these: a slot holds a few thousand characters at most.
namespace InputBudget {

// A codes file (the stocktake's `--codes`): a regular file read a line at
// a time; a line longer than this is no code, and a file of more codes
// than this no shelf.
inline constexpr qsizetype kCodeLineBytes = 256;
inline constexpr qsizetype kCodes = 250'000;

// A workbook (.xlsx). One cell's text and one row's texts together, after
// decoding; the shared strings by count and by their decoded bytes; the
// cell styles. A row counts each cell's text, so one long shared string
// repeated across a whole row is refused, not copied 16,384 times.
inline constexpr qsizetype kCellBytes = 1024 * 1024;
inline constexpr qsizetype kRowBytes = 4 * 1024 * 1024;
inline constexpr qsizetype kSharedStrings = 2'000'000;
inline constexpr qsizetype kSharedStringBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kCellStyles = 65'536;
// The XML of any part, as bytes before the parser sees them: one run of
// text (or CDATA, or processing instruction), and one tag with its
// attributes (each attribute costs the parser far more than its bytes).
// The parser holds a whole token before handing it over, so a token is
// bounded before it reaches the parser.
inline constexpr qsizetype kXmlTokenBytes = 8 * 1024 * 1024;
inline constexpr qsizetype kXmlTagBytes = 64 * 1024;
// The small parts (workbook, relationships, styles) and the sheet and
// shared strings as inflated from the zip: a bound on time, since a few
// megabytes of zip can inflate to gigabytes.
inline constexpr qint64 kSmallPartBytes = 16 * 1024 * 1024;
inline constexpr qint64 kLargePartBytes = qint64(1024) * 1024 * 1024;

// A catalogue's answer: its size as received and the records taken from
// it; one look-up's time over every catalogue asked, the resolution of
// their names included (or one catalogue's time-out, when that is longer).
inline constexpr int kAnswerBytes = 4 * 1024 * 1024;
inline constexpr int kAnswerRecords = 10;
inline constexpr int kLookupMs = 20'000;

// A MARC file to import (and a record in a catalogue's answer). ISO 2709
// gives a record's length five digits, so 99,999 bytes is the longest
// there can be; a MARCXML record's text, markup included; fields in one
// record (a library's richest have a few hundred) and subfields in one
// field; records in one file (the archive's own limit is far below).
inline constexpr qsizetype kMarcRecordBytes = 99'999;
inline constexpr qsizetype kMarcXmlRecordBytes = 1024 * 1024;
inline constexpr int kMarcFields = 2000;
inline constexpr int kMarcSubfields = 500;
inline constexpr qint64 kMarcRecords = 2'000'000;

// A file of ISBNs to catalogue: a box, or a shelf, never a library.
inline constexpr int kIsbnLines = 5000;

} // namespace InputBudget
