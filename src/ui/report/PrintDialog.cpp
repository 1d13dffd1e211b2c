#include "PrintDialog.h"

#include "print/report/PreparedReport.h"

#include <QPrintDialog>
#include <QPrinter>

namespace {
PrintDialog::Handler& handler()
{
    static PrintDialog::Handler h;
    return h;
}
} // namespace

bool PrintDialog::exec(QWidget* parent, QPrinter& printer, const PreparedReport& report)
{
    if (handler())
        return handler()(printer, report);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCollateCopies
        | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, std::max(1, report.pageCount()));
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialog::setHandler(Handler h)
{
    handler() = std::move(h);
}
