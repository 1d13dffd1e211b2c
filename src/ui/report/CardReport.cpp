#include "CardReport.h"

#include "CardSheet.h"
#include "print/report/Report.h"
#include "print/report/ReportUnits.h"
#include "ui/shell/Controls.h"
#include "core/collections/Collection.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"

#include <QWidget>

using ReportUnits::mm;

namespace CardReport {

namespace {

const QColor kLightSteelBlue(0xB0, 0xC4, 0xDE);
const QColor kGold(0xFF, 0xD7, 0x00);

// Captions and rows are named after the value element they go with.
QString suffix(const QString& control)
{
    return control.startsWith(QLatin1String("txt")) ? control.mid(3) : control;
}

ReportText* addPlainText(Report& report, const QString& name, const QRectF& at, qreal points, Qt::Alignment alignment)
{
    ReportText* text = report.addText(name, at);
    text->setFont(QStringLiteral("Arial"), points);
    text->setColour(Qt::black);
    text->setAlignment(alignment);
    text->setWordWrap(false);
    text->setExpressions(false);
    return text;
}

} // namespace

std::unique_ptr<Report> createTemplate(const CardSheet& sheet)
{
    auto report = std::make_unique<Report>(sheet.reportName);
    report->setPaper(QPageSize::A4);
    report->setOrientation(QPageLayout::Portrait);
    report->setMargins(10);

    ReportShape* bar = report->addRect(QStringLiteral("shpArcataSup"), QRectF(mm(1), mm(1), mm(188), mm(5.8)));
    bar->setFill(kLightSteelBlue);
    bar->setPen(QColor());
    addPlainText(*report, QStringLiteral("titArcataSup"), QRectF(mm(2), mm(2), mm(185.8), mm(4.2)), 9, Qt::AlignHCenter | Qt::AlignVCenter)
        ->setText(sheet.title);

    const int rows = int(sheet.rows.size());
    for (int i = 0; i < rows; ++i) {
        const CardSheet::Row& row = sheet.rows[size_t(i)];
        const QString name = suffix(row.control);
        report->addRect(QStringLiteral("shp") + name, QRectF(mm(1), mm(7 + 5 * i), mm(188), mm(4.6)));
        addPlainText(
            *report, QStringLiteral("cap") + name, QRectF(mm(2), mm(7.5 + 5 * i), mm(37.8), mm(3.5)), 7, Qt::AlignLeft | Qt::AlignTop)
            ->setText(row.caption);
        addPlainText(*report, row.control, QRectF(mm(44), mm(7.5 + 5 * i), mm(144), mm(3.5)), 7, Qt::AlignLeft | Qt::AlignTop);
    }
    // The separator ends 0.4 mm above the footer's row position: at the
    // bottom of the last row's box.
    report->addLine(QStringLiteral("linSeparatore"), QPointF(mm(42), mm(7)), QPointF(mm(42), mm(7 + 5 * rows - 0.4)));

    ReportShape* footer = report->addRect(QStringLiteral("shpCalce"), QRectF(mm(1), mm(9 + 5 * rows), mm(188), mm(5.8)));
    footer->setFill(kGold);
    footer->setPen(QColor());
    addPlainText(
        *report, QStringLiteral("txtCalce"), QRectF(mm(2), mm(10 + 5 * rows), mm(185.8), mm(4.2)), 8, Qt::AlignHCenter | Qt::AlignVCenter)
        ->setText(QStringLiteral("Data e ora stampa"));
    return report;
}

QString footerText()
{
    const QDateTime now = Clock::now();
    return QStringLiteral("Stampa eseguita in data ") + Clock::shortDate(now.date()) + QStringLiteral(" alle ore ")
        + Clock::longTime(now.time());
}

void fill(Report& report, const CardSheet& sheet, const QWidget* card)
{
    for (const CardSheet::Row& row : sheet.rows) {
        const QWidget* control = card ? card->findChild<const QWidget*>(row.control) : nullptr;
        // A stored line break (an imported note) would start a second line
        // in a one-line box: it is printed as a blank.
        report.findText(row.control)->setText(control ? Text::trimmed(Controls::oneLine(Controls::text(control))) : QString());
    }
    report.findText(QStringLiteral("txtCalce"))->setText(footerText());
}

} // namespace CardReport

CardSheet CardSheet::of(const Collection& collection, int logoTop)
{
    CardSheet s;
    const PrintSheet& sheet = *collection.sheet;
    s.windowCaption = Text::utf8(sheet.windowCaption);
    s.logoTop = logoTop;
    s.reportName = Text::utf8(sheet.reportName);
    s.title = Text::utf8(sheet.title);
    for (const PrintSheet::Row& r : sheet.rows)
        s.rows.push_back({Text::utf8(r.caption), QStringLiteral("txt") + Text::utf8(r.field)});
    s.cardTag = Text::utf8(collection.callerTag);
    return s;
}
