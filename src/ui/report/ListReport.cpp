#include "ListReport.h"

#include "ReportPrinter.h"
#include "print/report/Report.h"
#include "print/report/ReportPaginator.h"
#include "print/report/ReportUnits.h"

#include "ui/shell/Controls.h"

using ReportUnits::mm;

namespace ListReport {

namespace {
const QColor kSlateGrey(0x70, 0x80, 0x90);
}

ReportText* addStrip(Report& report, const QString& name, const QRectF& at, ReportBand* band, int points, const QString& text)
{
    ReportText* strip = report.addText(name, at, band);
    strip->setFont(QStringLiteral("Verdana"), points, true);
    strip->setColour(Qt::white);
    strip->setFill(kSlateGrey);
    strip->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    strip->setText(text);
    return strip;
}

std::unique_ptr<Report> createTemplate(const QString& name)
{
    auto report = std::make_unique<Report>(name.isEmpty() ? QStringLiteral("Riepilogo dati") : name);
    report->setPaper(QPageSize::A4);
    report->setOrientation(QPageLayout::Landscape);
    report->setMargins(10);

    ReportBand* title = report->addBand(ReportBand::Kind::Title, QStringLiteral("ReportTitle"), mm(8));
    addStrip(*report, QStringLiteral("txtTitolo"), QRectF(mm(2), mm(1), mm(273), mm(5)), title, 9, QStringLiteral("Riepilogo"));

    // Printed once, split across pages; heights are set at printing.
    ReportBand* data = report->addBand(ReportBand::Kind::MasterData, QStringLiteral("MasterData"), 0);
    data->setAllowSplit(true);
    ReportText* txtRiepilogo = report->addText(QStringLiteral("txtRiepilogo"), QRectF(mm(3), 0, mm(273), 0), data);
    txtRiepilogo->setFont(QStringLiteral("Courier New"), 8);
    txtRiepilogo->setWordWrap(false);
    txtRiepilogo->setLinePitch(kLineHeight);

    ReportBand* footer = report->addBand(ReportBand::Kind::Footer, QStringLiteral("Footer"), mm(8));
    addStrip(*report, QStringLiteral("txtPagina"), QRectF(mm(3), mm(2), mm(272), mm(5)), footer, 8,
        QStringLiteral("Stampa eseguita in data [DATE]"));
    return report;
}

void fill(Report& report, const QString& title, const QStringList& lines)
{
    report.findText(QStringLiteral("txtTitolo"))->setText(title);
    ReportText* txtRiepilogo = report.findText(QStringLiteral("txtRiepilogo"));
    txtRiepilogo->clearLines();
    // One printed line per list line, whatever a stored value holds.
    QStringList single = lines;
    for (QString& line : single)
        line = Controls::oneLine(line);
    txtRiepilogo->setLines(single);
    ReportBand* data = report.findBand(QStringLiteral("MasterData"));
    txtRiepilogo->setHeight(txtRiepilogo->lineCount() * kLineHeight);
    data->setHeight(txtRiepilogo->height() + 10);
}

void print(QWidget* parent, const QString& title, const QStringList& lines, const QString& name)
{
    std::unique_ptr<Report> report = createTemplate(name);
    fill(*report, title, lines);
    ReportPrinter::print(parent, ReportPaginator::paginate(*report));
}

} // namespace ListReport
