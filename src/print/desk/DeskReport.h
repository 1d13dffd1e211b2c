#pragma once

#include "core/desk/Reminders.h"
#include "print/report/PreparedReport.h"

#include <vector>

class Stocktake;

// The lending desk's printed pages, prepared as every report is, so that
// they print through the print dialog and save as PDF like the labels.
// A4 portrait, texts wrapped to the page's width.
namespace DeskReport {

// One reminder letter per reader, each beginning on a page of its own.
PreparedReport letters(const std::vector<ReminderLetter>& letters);

// The stocktake's lists: missing, on loan, other shelves, no card, twice.
PreparedReport stocktake(const Stocktake& stocktake);

} // namespace DeskReport
