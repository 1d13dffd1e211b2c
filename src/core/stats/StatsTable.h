#pragma once

#include "core/collections/StatsSection.h"

#include <span>
#include <string_view>

struct Collection;

// The sections of one collection, in the order the screen, the printed set
// and the command line show them.
struct StatsTable {
    std::string_view caption; // the screen's tab (UTF-8)
    std::span<const StatsSection> sections;

    // The collection's own sections; one that lists none gets its totals
    // alone.
    static StatsTable of(const Collection& collection);
};
