#pragma once

#include "core/stats/CollectionStats.h"

#include <QImage>
#include <QSize>
#include <QString>

class QChart;

// One section of the statistics as a horizontal bar chart: a bar per
// value, the first at the top, each with its count at its end. The screen
// shows these charts and the printed pages draw the same ones.
namespace StatsChart {

// A new chart; the caller owns it (or hands it to a chart view).
QChart* create(const StatsResult& result, const QString& title);

// The chart laid out at `size` and drawn into an image of `pixels`, for paper.
QImage render(const StatsResult& result, const QString& title, QSize size, QSize pixels);

// What a chart and its printed page are called: the section's own title,
// and for the totals the collection's caption with it.
QString title(const StatsTable& table, const StatsResult& result);

} // namespace StatsChart
