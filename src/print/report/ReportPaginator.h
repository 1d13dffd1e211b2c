#pragma once

#include "PreparedReport.h"

#include <QDate>

class Report;

// Lays out the pages of a report template: the objects placed on the page
// go on every page; the bands follow one another down the printable area,
// a new page starting where one does not fit. A band that may split is
// broken at the end of the last whole line that fits, so every line of its
// text elements prints once, whole, in order. The work per page is
// constant: pages refer to ranges of the shared lines. The template is only
// read: the same template laid out twice gives the same pages.
namespace ReportPaginator {

// The pages of `report` as it stands, "[DATE]" read as `printDate`.
PreparedReport paginate(const Report& report, const QDate& printDate);
// The same, dated today.
PreparedReport paginate(const Report& report);

} // namespace ReportPaginator
