#pragma once

#include <functional>

class QPrinter;
class QWidget;
struct PreparedReport;

// The print dialog (printer, copies, page range) in front of every report.
// Tests replace it with a handler that sees the prepared pages and accepts
// (after pointing the printer at a PDF file, say) or cancels.
class PrintDialog {
public:
    // True when the user confirmed; `printer` then holds the choices.
    static bool exec(QWidget* parent, QPrinter& printer, const PreparedReport& report);

    using Handler = std::function<bool(QPrinter& printer, const PreparedReport& report)>;
    static void setHandler(Handler handler); // empty: the real dialog again
};
