#pragma once

#include "PreparedReport.h"

class QPainter;
class QPrinter;

// Draws prepared pages on a paint device whose origin is the paper's
// top-left corner, `scale` device pixels to one report unit.
namespace ReportPainter {

void paintPage(QPainter& painter, const PreparedPage& page, qreal scale);

// Prints the pages chosen in the print dialog (all, or a page range), as
// many copies as asked where the printer does not make them itself.
// False when the printer could not be opened or reported an error.
bool print(const PreparedReport& report, QPrinter& printer);

} // namespace ReportPainter
