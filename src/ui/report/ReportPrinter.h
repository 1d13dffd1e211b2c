#pragma once

class QPrinter;
class QWidget;
struct PreparedReport;

// The one way prepared pages reach a printer: reports, lists, card sheets,
// statistics and label sheets alike. The printer is set to the pages' paper
// and orientation, laid out from the paper's corner; the print dialog
// (PrintDialog, replaced in tests) chooses printer, copies and page range.
namespace ReportPrinter {

enum class Result { Printed, Cancelled, Failed };

// Shows the print dialog over `parent`; OK prints the pages, Cancel prints
// nothing. A printer that cannot print is reported here, in a message.
Result print(QWidget* parent, const PreparedReport& pages);

// Prints the pages chosen in the dialog (all, or a page range), as many
// copies as asked where the printer does not make them itself. False when
// the printer could not be opened or reported an error.
bool printPages(const PreparedReport& pages, QPrinter& printer);

} // namespace ReportPrinter
