#include "StatsReport.h"

#include "StatsChart.h"
#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/text/Text.h"
#include "ui/report/ListReport.h"
#include "print/report/Report.h"
#include "print/report/ReportPaginator.h"
#include "print/report/ReportUnits.h"

#include <algorithm>

using ReportUnits::mm;

namespace StatsReport {

namespace {

// A4 across, margins of 10 mm: 277 x 190 mm to print on.
constexpr qreal kChartWidth = 180;  // mm
constexpr qreal kChartHeight = 160; // mm
constexpr qreal kTableLeft = 186;   // mm
constexpr qreal kTableWidth = 91;   // mm
constexpr qreal kPitch = 4.4;       // mm between table lines
constexpr qreal kPoints = 9;        // the table's type size at that pitch
// The chart is laid out a quarter larger than its place on paper, so that
// its labels (long Dewey class names) fit beside the bars, and drawn at
// 192 dots an inch, sharp on paper.
constexpr qreal kChartLayout = 1.25;
constexpr qreal kChartScale = 2;

constexpr int kLabelWidth = 36;
constexpr int kCountWidth = 9;

QString tableLine(QString label, const QString& count)
{
    if (label.size() > kLabelWidth)
        label = label.left(kLabelWidth - 1) + QChar(0x2026);
    return label.leftJustified(kLabelWidth, QLatin1Char(' ')) + count.rightJustified(kCountWidth, QLatin1Char(' '));
}

std::unique_ptr<Report> pageTemplate(const QString& title, const QImage& chart, const QStringList& table)
{
    auto report = std::make_unique<Report>(QStringLiteral("Statistiche"));
    report->setPaper(QPageSize::A4);
    report->setOrientation(QPageLayout::Landscape);
    report->setMargins(10);

    ReportBand* head = report->addBand(ReportBand::Kind::Title, QStringLiteral("ReportTitle"), mm(10));
    ListReport::addStrip(*report, QStringLiteral("txtTitolo"), QRectF(0, mm(1), mm(277), mm(7)), head, 11, title);

    // The whole table stays beside its chart on the one page: a long one
    // is set closer and smaller.
    const qreal room = kChartHeight;
    const qreal pitch = std::min(kPitch, room / std::max<qsizetype>(1, table.size()));
    ReportBand* data = report->addBand(ReportBand::Kind::MasterData, QStringLiteral("MasterData"), mm(kChartHeight + 4));
    ReportPicture* picChart = report->addPicture(QStringLiteral("picGrafico"), QRectF(0, mm(2), mm(kChartWidth), mm(kChartHeight)), data);
    picChart->setImage(chart);
    ReportText* txtTabella = report->addText(
        QStringLiteral("txtTabella"), QRectF(mm(kTableLeft), mm(2), mm(kTableWidth), mm(pitch) * table.size()), data);
    txtTabella->setFont(QStringLiteral("Courier New"), kPoints * pitch / kPitch);
    txtTabella->setWordWrap(false);
    txtTabella->setLinePitch(mm(pitch));
    txtTabella->setExpressions(false);
    txtTabella->setLines(table);

    ReportBand* footer = report->addBand(ReportBand::Kind::Footer, QStringLiteral("Footer"), mm(8));
    ListReport::addStrip(*report, QStringLiteral("txtPagina"), QRectF(0, mm(2), mm(277), mm(5)), footer, 8,
        QStringLiteral("Stampa eseguita in data [DATE]"));
    return report;
}

} // namespace

QStringList overdue(int days)
{
    QStringList parts;
    for (const Collection* c : Collection::all()) {
        if (LoanList::keepsLoans(*c))
            parts << Text::utf8(c->plural) + QLatin1Char(' ') + LoanList::overdueWords(*c, QString::number(days)) + QLatin1Char(',');
    }
    if (!parts.isEmpty())
        parts.last().back() = QLatin1Char('.');
    return parts;
}

QStringList table(const CollectionStats& stats, const StatsResult& result, int days)
{
    QStringList lines{tableLine(QStringLiteral("voce"), QStringLiteral("schede")), QString()};
    for (const StatsBar& bar : result.bars)
        lines << tableLine(bar.label, QString::number(bar.count));
    if (result.section.kind == StatsKind::Totals && LoanList::keepsLoans(stats.collection())) {
        lines << QString() << QStringLiteral("Scadute come nell'elenco dei prestiti:") << overdue(days);
    } else if (result.section.kind != StatsKind::Totals) {
        lines << QString() << QStringLiteral("Schede non annullate.");
    }
    return lines;
}

PreparedReport page(const CollectionStats& stats, const StatsResult& result, int days)
{
    const QString title = StatsChart::title(stats.table(), result);
    const QSizeF onPaper(mm(kChartWidth), mm(kChartHeight));
    const QImage chart = StatsChart::render(result, title, (onPaper * kChartLayout).toSize(), (onPaper * kChartScale).toSize());
    const std::unique_ptr<Report> report = pageTemplate(title, chart, table(stats, result, days));
    return ReportPaginator::paginate(*report);
}

PreparedReport all(const std::vector<const CollectionStats*>& stats, int days)
{
    PreparedReport out;
    for (const CollectionStats* s : stats) {
        for (const StatsResult& r : s->results()) {
            PreparedReport one = page(*s, r, days);
            if (out.pages.isEmpty()) {
                out = std::move(one);
                continue;
            }
            out.pages.append(one.pages);
        }
    }
    return out;
}

} // namespace StatsReport
