#include "StatsTable.h"

#include "core/collections/Collection.h"

namespace {
constexpr StatsSection kTotalsOnly[] = {StatsSection::totals()};
} // namespace

StatsTable StatsTable::of(const Collection& collection)
{
    const std::string_view caption = collection.caption.empty() ? collection.key : collection.caption;
    if (collection.stats.empty())
        return {caption, kTotalsOnly};
    return {caption, collection.stats};
}
