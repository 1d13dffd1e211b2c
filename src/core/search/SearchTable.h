#pragma once

#include "core/storage/RecordLayout.h"

#include <span>
#include <string_view>

// One filter field of a search screen: the control the user types in, the
// record field it is matched against and the caption shown above it.
struct SearchFilter {
    std::string_view control; // "txtTitolo"
    std::string_view field;   // "Titolo"
    std::string_view caption; // UTF-8, shown as it stands
};

// One piece of a result line: literal text, then a field, trimmed and
// either fitted to `width` characters (cut or filled with spaces) or, with
// kUnfitted, taken whole.
struct LinePiece {
    static constexpr int kUnfitted = -1;
    std::string_view before; // Windows-1252 literal (plain ASCII in every table)
    std::string_view field;
    int width;
};

// Which records a search never lists: a flag field that must read exactly
// the given value once trimmed (the cancelled flag) and fields that must be
// empty once trimmed (the loan of the available-for-loan twins).
struct SkipRule {
    std::string_view flagField; // empty: no flag test
    std::string_view flagValue; // Windows-1252 bytes, e.g. "No"
    std::span<const std::string_view> mustBeEmpty;
};

// A search screen described as data; the engine and the screen class do the
// rest for every collection.
struct SearchTable {
    const RecordLayout* layout;
    std::span<const SearchFilter> filters;
    SkipRule skip;
    std::span<const LinePiece> line;
    int itemWidth;               // width of a list line, in pixels
    std::string_view caption;    // window caption (UTF-8)
    std::string_view printTitle; // title of the printed list (UTF-8)
    std::string_view callerTag;  // the tag that lets a double-click fill the card

    // The filter bound to `field` (A-Z case ignored, so "autore" finds
    // "Autore"); nullptr when the table has none.
    const SearchFilter* filterFor(std::string_view field) const;
};
