#pragma once

#include "PreparedReport.h"

class QPainter;

// Draws prepared pages on a paint device whose origin is the paper's
// top-left corner, `scale` device pixels to one report unit.
namespace ReportPainter {

void paintPage(QPainter& painter, const PreparedPage& page, qreal scale);

} // namespace ReportPainter
