#pragma once

#include "core/stats/CollectionStats.h"
#include "print/report/PreparedReport.h"

#include <QString>
#include <QStringList>

#include <vector>

// The printed statistics: a page per chart, the chart on the left and its
// numbers in a table on the right, under the chart's title.
namespace StatsReport {

// The page of one section of `stats`.
PreparedReport page(const CollectionStats& stats, const StatsResult& result, int days);
// Every section of every collection given, one page each, as one document.
PreparedReport all(const std::vector<const CollectionStats*>& stats, int days);

// Which loans count as overdue, a part per collection that keeps loans:
// "libri prestati da più di 30 giorni,", "DVD oltre la data di restituzione."
QStringList overdue(int days);
// The lines of the table beside a chart: a heading, a line per bar, the
// loans rule under the totals of a collection that keeps loans.
QStringList table(const CollectionStats& stats, const StatsResult& result, int days);

} // namespace StatsReport
