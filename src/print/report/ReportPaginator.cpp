#include "ReportPaginator.h"

#include "Report.h"
#include "ReportPicture.h"
#include "ReportUnits.h"
#include "core/text/Clock.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using ReportUnits::kEpsilon;

namespace {

// Whether [top, bottom] shows in the strip [from, to). An object of no
// height belongs to the strip its top falls in (or to the last strip).
bool overlaps(qreal top, qreal bottom, qreal from, qreal to, bool last)
{
    if (bottom - top < kEpsilon)
        return top >= from - kEpsilon && (top < to - kEpsilon || last);
    return top < to - kEpsilon && bottom > from + kEpsilon;
}

bool splitsByLines(const ReportText& text)
{
    return !text.wordWrap() && text.lineCount() > 0 && text.linePitch() > 0;
}

// One layout of one template, page by page.
class Paginator {
public:
    Paginator(const Report& report, const QDate& printDate);
    PreparedReport run();

private:
    void newPage();
    void placeBand(const ReportBand& band);
    qreal breakPoint(const ReportBand& band, qreal from, qreal limit) const;
    // Puts the part [from, to) (object coordinates) of `objects` on the
    // page, with `from` landing at `origin`; `last` says nothing follows.
    void emitObjects(
        const std::vector<std::unique_ptr<ReportObject>>& objects, QPointF origin, qreal from, qreal to, bool last, QList<PageItem>& out);
    std::shared_ptr<const PreparedText> prepared(const ReportText& text);

    const Report& m_report;
    QDate m_date;
    QRectF m_area;
    qreal m_y = 0;               // used height of the current page's printable area
    QList<PageItem> m_pageItems; // the page objects, the same on every page
    QHash<const ReportText*, std::shared_ptr<const PreparedText>> m_texts;
    PreparedReport m_out;
};

Paginator::Paginator(const Report& report, const QDate& printDate)
    : m_report(report)
    , m_date(printDate)
    , m_area(report.printableArea())
{
}

PreparedReport Paginator::run()
{
    m_out = {};
    m_out.name = m_report.name();
    m_out.pageSize = m_report.paper();
    m_out.orientation = m_report.orientation();
    m_out.size = m_report.paperSize();

    emitObjects(m_report.pageObjects(), m_area.topLeft(), 0, m_area.height(), true, m_pageItems);
    newPage();

    std::vector<const ReportBand*> bands;
    for (const auto& band : m_report.bands())
        bands.push_back(band.get());
    std::stable_sort(bands.begin(), bands.end(), [](const ReportBand* a, const ReportBand* b) { return a->kind() < b->kind(); });
    for (const ReportBand* band : bands)
        placeBand(*band);
    return std::move(m_out);
}

void Paginator::newPage()
{
    m_out.pages.append(PreparedPage{m_pageItems});
    m_y = 0;
}

void Paginator::placeBand(const ReportBand& band)
{
    const qreal height = band.height();
    qreal from = 0;
    for (;;) {
        const qreal room = m_area.height() - m_y;
        const QPointF origin(m_area.left(), m_area.top() + m_y);
        QList<PageItem>& items = m_out.pages.last().items;
        if (height - from <= room + kEpsilon) {
            emitObjects(band.objects(), origin, from, height, true, items);
            m_y += height - from;
            return;
        }
        if (band.allowSplit()) {
            const qreal to = breakPoint(band, from, from + room);
            if (to > from + kEpsilon) {
                emitObjects(band.objects(), origin, from, to, false, items);
                newPage();
                from = to;
                continue;
            }
        }
        if (m_y > kEpsilon) { // try again at the top of a new page
            newPage();
            continue;
        }
        // Not even one line fits a whole page: print what the page holds.
        emitObjects(band.objects(), origin, from, from + room, false, items);
        newPage();
        if (!band.allowSplit())
            return;
        from += room;
    }
}

qreal Paginator::breakPoint(const ReportBand& band, qreal from, qreal limit) const
{
    // Move the break up to a line boundary of every text element it would
    // cut, until none is cut.
    qreal to = limit;
    bool moved = true;
    while (moved && to > from + kEpsilon) {
        moved = false;
        for (const auto& object : band.objects()) {
            if (object->type() != ReportObject::Type::Text)
                continue;
            const auto& text = static_cast<const ReportText&>(*object);
            if (!splitsByLines(text))
                continue;
            const qreal top = text.geometry().top();
            const qreal pitch = text.linePitch();
            const qreal linesBottom = top + text.lineCount() * pitch;
            if (to <= top + kEpsilon || to >= linesBottom - kEpsilon)
                continue;
            const qreal aligned = top + std::floor((to - top) / pitch + kEpsilon) * pitch;
            if (aligned < to - kEpsilon) {
                to = aligned;
                moved = true;
            }
        }
    }
    return to;
}

void Paginator::emitObjects(
    const std::vector<std::unique_ptr<ReportObject>>& objects, QPointF origin, qreal from, qreal to, bool last, QList<PageItem>& out)
{
    const auto place = [&](const QRectF& r) {
        // The part of `r` inside the strip, on the page.
        const qreal top = std::max(r.top(), from);
        const qreal bottom = last ? r.bottom() : std::min(r.bottom(), to);
        return QRectF(origin.x() + r.left(), origin.y() + top - from, r.width(), std::max<qreal>(0, bottom - top));
    };
    for (const auto& object : objects) {
        const QRectF r = object->geometry();
        PageItem item;
        item.name = object->name();
        switch (object->type()) {
        case ReportObject::Type::Text: {
            const auto& text = static_cast<const ReportText&>(*object);
            item.kind = PageItem::Kind::Text;
            item.text = prepared(text);
            int first = 0;
            int end = text.lineCount();
            if (splitsByLines(text)) {
                const qreal pitch = item.text->pitch;
                first = std::max(0, int(std::ceil((from - r.top()) / pitch - kEpsilon)));
                if (!last)
                    end = std::min(end, int(std::floor((to - r.top()) / pitch + kEpsilon)));
            }
            if (!overlaps(r.top(), r.bottom(), from, to, last) && end <= first)
                continue;
            item.rect = place(r);
            item.firstLine = first;
            item.lineCount = std::max(0, end - first);
            item.linesTop = origin.y() + r.top() + first * item.text->pitch - from;
            break;
        }
        case ReportObject::Type::Rect:
        case ReportObject::Type::Line: {
            if (!overlaps(r.top(), r.bottom(), from, to, last))
                continue;
            const auto& shape = static_cast<const ReportShape&>(*object);
            item.kind = object->type() == ReportObject::Type::Rect ? PageItem::Kind::Rect : PageItem::Kind::Line;
            item.rect = place(r);
            item.pen = shape.pen();
            item.penWidth = shape.penWidth();
            item.fill = shape.fill();
            break;
        }
        case ReportObject::Type::Picture: {
            if (!overlaps(r.top(), r.bottom(), from, to, last))
                continue;
            item.kind = PageItem::Kind::Picture;
            item.rect = place(r);
            item.picture = static_cast<const ReportPicture&>(*object).image();
            break;
        }
        case ReportObject::Type::Band:
            continue;
        }
        out.append(item);
    }
}

std::shared_ptr<const PreparedText> Paginator::prepared(const ReportText& text)
{
    auto& slot = m_texts[&text];
    if (slot)
        return slot;
    auto p = std::make_shared<PreparedText>();
    p->font = text.font();
    p->colour = text.colour();
    p->fill = text.fill();
    p->alignment = text.alignment();
    p->wordWrap = text.wordWrap();
    p->pitch = text.linePitch();
    p->padding = text.padding();
    p->lines = text.lines(); // shared with the template until an expression changes a line
    if (text.expressions()) {
        const QStringList& source = text.lines();
        for (qsizetype i = 0; i < source.size(); ++i) {
            if (ReportText::hasExpression(source.at(i)))
                p->lines[i] = ReportText::expand(source.at(i), m_date);
        }
    }
    slot = std::move(p);
    return slot;
}

} // namespace

namespace ReportPaginator {

PreparedReport paginate(const Report& report, const QDate& printDate)
{
    return Paginator(report, printDate).run();
}

PreparedReport paginate(const Report& report)
{
    return paginate(report, Clock::today());
}

} // namespace ReportPaginator
