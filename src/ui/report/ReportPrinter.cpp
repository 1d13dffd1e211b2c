#include "ReportPrinter.h"

#include "PrintDialog.h"
#include "print/report/PreparedReport.h"
#include "print/report/ReportPainter.h"
#include "print/report/ReportUnits.h"
#include "ui/shell/FileChooser.h"
#include "ui/shell/Msg.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace ReportPrinter {

Result print(QWidget* parent, const PreparedReport& pages)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(pages.name);
    printer.setCreator(QStringLiteral("Tomaria"));
    printer.setPageSize(pages.pageSize);
    printer.setPageOrientation(pages.orientation);
    printer.setFullPage(true); // the pages are laid out from the paper's corner
    if (!PrintDialog::exec(parent, printer, pages))
        return Result::Cancelled;
    // Printing to a PDF file writes where the user said: the dialog has
    // asked about an existing file; the guard refuses what is never written.
    if (!printer.outputFileName().isEmpty() && !FileChooser::mayWrite(parent, printer.outputFileName(), ExportTarget::Kind::Pdf, true))
        return Result::Cancelled;
    if (!printPages(pages, printer)) {
        Msg::error(parent, QStringLiteral("Impossibile stampare il documento: la stampante non è disponibile o ha segnalato un errore."));
        return Result::Failed;
    }
    return Result::Printed;
}

bool printPages(const PreparedReport& pages, QPrinter& printer)
{
    QList<int> chosen;
    const QPageRanges ranges = printer.pageRanges();
    for (int i = 0; i < pages.pageCount(); ++i) {
        if (ranges.isEmpty() || ranges.contains(i + 1))
            chosen.append(i);
    }
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal scale = printer.resolution() / ReportUnits::kPerInch;
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int index : chosen) {
            if (!first && !printer.newPage()) {
                painter.end();
                return false;
            }
            first = false;
            ReportPainter::paintPage(painter, pages.page(index), scale);
        }
    }
    painter.end();
    return printer.printerState() != QPrinter::Error;
}

} // namespace ReportPrinter
