#pragma once

#include <QFont>
#include <QFontMetricsF>

// The fonts of the templates on this system, wherever the engine is used
// from (the program, a test, a benchmark).
namespace ReportFonts {

// Arial, Courier New and Verdana print with their metric-compatible
// stand-ins where they are missing, as the program's screens do.
void ensureSubstitutes();

// Metrics of `font` on a 96 dpi device, so one pixel is one report unit.
QFontMetricsF metrics(const QFont& font);

} // namespace ReportFonts
