#include "DeskReport.h"

#include "core/desk/Stocktake.h"
#include "core/text/Clock.h"
#include "print/report/ReportFonts.h"
#include "print/report/ReportUnits.h"

#include <memory>

namespace {

using ReportUnits::mm;

const QString kFamily = QStringLiteral("Arial");
constexpr double kMarginMm = 25;

QFont fontOf(double points, bool bold)
{
    QFont font(kFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Text laid down the page from the top, a line at a time, wrapped at
// blanks to the width between the margins; a new page when one is full.
class Flow {
public:
    explicit Flow(PreparedReport& report)
        : m_report(report)
        , m_left(mm(kMarginMm))
        , m_width(report.size.width() - 2 * mm(kMarginMm))
        , m_bottom(report.size.height() - mm(kMarginMm))
    {
    }

    void newPage()
    {
        m_report.pages.append(PreparedPage());
        m_y = mm(kMarginMm);
    }

    void skip(double millimetres) { m_y += mm(millimetres); }

    // `indent` and `width` in millimetres from the left margin (width 0: to the right margin).
    void text(const QString& name, const QString& text, double points, bool bold, Qt::Alignment alignment = Qt::AlignLeft,
        double indent = 0, double width = 0, bool advance = true)
    {
        const QFont font = fontOf(points, bold);
        const QFontMetricsF metrics = ReportFonts::metrics(font);
        const double pitch = points * ReportUnits::kPerPoint * 1.35;
        const double room = (width > 0 ? mm(width) : m_width - mm(indent)) * 0.97;
        const QStringList lines = wrapped(text, metrics, room);
        for (const QString& line : lines) {
            if (m_report.pages.isEmpty() || m_y + pitch > m_bottom)
                newPage();
            auto prepared = std::make_shared<PreparedText>();
            prepared->font = font;
            prepared->colour = Qt::black;
            prepared->alignment = alignment | Qt::AlignTop;
            prepared->pitch = pitch;
            prepared->lines = QStringList{line};
            PageItem item;
            item.kind = PageItem::Kind::Text;
            item.name = name;
            item.rect = QRectF(m_left + mm(indent), m_y, width > 0 ? mm(width) : m_width - mm(indent), pitch);
            item.text = prepared;
            item.lineCount = 1;
            item.linesTop = m_y;
            m_report.pages.last().items.append(item);
            if (advance || &line != &lines.last())
                m_y += pitch;
        }
    }

private:
    static QStringList wrapped(const QString& text, const QFontMetricsF& metrics, double room)
    {
        QStringList lines;
        QString line;
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > room) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
        return lines;
    }

    PreparedReport& m_report;
    double m_left, m_width, m_bottom;
    double m_y = 0;
};

PreparedReport a4(const QString& name)
{
    ReportFonts::ensureSubstitutes();
    PreparedReport report;
    report.name = name;
    report.pageSize = QPageSize(QPageSize::A4);
    report.orientation = QPageLayout::Portrait;
    report.size = QSizeF(mm(210), mm(297));
    return report;
}

} // namespace

namespace DeskReport {

PreparedReport letters(const std::vector<ReminderLetter>& letters)
{
    PreparedReport report = a4(QStringLiteral("Solleciti di restituzione"));
    Flow flow(report);
    for (const ReminderLetter& letter : letters) {
        flow.newPage();
        if (!letter.library.isEmpty())
            flow.text(QStringLiteral("biblioteca"), letter.library, 14, true);
        if (!letter.place.isEmpty())
            flow.text(QStringLiteral("luogo"), letter.place, 11, false);
        flow.skip(15);
        flow.text(QStringLiteral("data"), letter.dated, 11, false, Qt::AlignRight);
        flow.skip(15);
        flow.text(QStringLiteral("lettore"), letter.greeting, 11, false);
        flow.skip(4);
        flow.text(QStringLiteral("testo"), letter.body, 11, false);
        flow.skip(4);
        for (const ReminderLetter::Item& item : letter.items) {
            flow.text(QStringLiteral("titolo"), item.title, 11, true, Qt::AlignLeft, 8);
            flow.text(QStringLiteral("voce"), QStringLiteral("codice %1, %2").arg(item.code, item.when), 10, false, Qt::AlignLeft, 8);
            flow.skip(2);
        }
        flow.skip(4);
        flow.text(QStringLiteral("chiusura"), letter.closing, 11, false);
        flow.skip(12);
        flow.text(QStringLiteral("firma"), letter.signature, 11, false, Qt::AlignRight);
    }
    return report;
}

PreparedReport stocktake(const Stocktake& stocktake)
{
    PreparedReport report = a4(QStringLiteral("Inventario"));
    Flow flow(report);
    flow.newPage();
    flow.text(QStringLiteral("titolo"), stocktake.title(), 14, true);
    flow.text(QStringLiteral("data"), Clock::shortDate(Clock::today()), 10, false);
    flow.skip(3);
    flow.text(QStringLiteral("conteggio"),
        QStringLiteral("Letti %1 codici; contate %2 schede su %3.")
            .arg(stocktake.scans().size())
            .arg(stocktake.counted())
            .arg(stocktake.expected()),
        11, false);
    QString section;
    const QStringList rows = stocktake.report();
    if (rows.isEmpty()) {
        flow.skip(4);
        flow.text(QStringLiteral("esito"), QStringLiteral("Nessuna scheda manca e nessun codice è fuori posto."), 11, false);
    }
    for (const QString& row : rows) {
        const QStringList cells = row.split(QLatin1Char('\t'));
        if (cells.value(0) != section) {
            section = cells.value(0);
            flow.skip(5);
            flow.text(QStringLiteral("sezione"), section, 12, true);
            flow.skip(1);
        }
        // Code, then title, then shelf or reader, side by side.
        flow.text(QStringLiteral("codice"), cells.value(1), 10, false, Qt::AlignLeft, 0, 35, false);
        flow.text(QStringLiteral("scaffale"), cells.value(3), 10, false, Qt::AlignLeft, 125, 35, false);
        flow.text(QStringLiteral("voce"), cells.value(2), 10, false, Qt::AlignLeft, 37, 86);
    }
    return report;
}

} // namespace DeskReport
