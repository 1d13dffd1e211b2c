#pragma once

#include <string_view>

// How a section of the statistics groups the cards it counts.
enum class StatsKind {
    Totals,     // cards, cancelled, on loan, overdue: every card of the archive
    DeweyClass, // the ten hundreds of the Dewey table and a bar of cards without a valid code
    Grouped,    // one bar per value, A-Z case folded; the most frequent `top` and the rest together
    Decade,     // one bar per decade of a four-digit year, and a bar of unreadable years
    PerArchive, // one bar per yearly archive
};

// One section: a chart on the screen, a page of the printed set and the
// lines of the command line. Every section but the totals counts the cards
// that are not cancelled.
struct StatsSection {
    StatsKind kind;
    std::string_view name;  // the command line's "sezione" (UTF-8)
    std::string_view title; // the chart's title (UTF-8)
    std::string_view field; // the record field counted, where the kind needs one
    std::string_view blank; // the bar of cards without a usable value (UTF-8)
    int top = 0;            // Grouped: how many values have their own bar

    // Whether the kind counts a record field.
    constexpr bool readsField() const { return kind != StatsKind::Totals && kind != StatsKind::PerArchive; }

    // The first section of every collection.
    static constexpr StatsSection totals() { return {StatsKind::Totals, "totale", "Totali", {}, {}, 0}; }
};
