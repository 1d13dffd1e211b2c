#pragma once

#include "PreparedReport.h"

#include <QDate>
#include <QHash>

#include <memory>
#include <vector>

class Report;
class ReportBand;
class ReportObject;
class ReportText;

// Lays out the pages of a report: the objects placed on the page go on
// every page; the bands follow one another down the printable area, a new
// page starting where one does not fit. A band that may split is broken at
// the end of the last whole line that fits, so every line of its text
// elements prints once, whole, in order. The work per page is constant:
// pages refer to ranges of the shared lines.
class ReportPaginator {
public:
    ReportPaginator(const Report& report, const QDate& printDate);
    PreparedReport run();

private:
    void newPage();
    void placeBand(const ReportBand& band);
    qreal breakPoint(const ReportBand& band, qreal from, qreal limit) const;
    // Puts the part [from, to) (object coordinates) of `objects` on the
    // page, with `from` landing at `origin`; `last` says nothing follows.
    void emitObjects(const std::vector<std::unique_ptr<ReportObject>>& objects, QPointF origin, qreal from, qreal to,
        bool last, QList<PageItem>& out);
    std::shared_ptr<const PreparedText> prepared(const ReportText& text);

    const Report& m_report;
    QDate m_date;
    QRectF m_area;
    qreal m_y = 0; // used height of the current page's printable area
    QList<PageItem> m_pageItems; // the page objects, the same on every page
    QHash<const ReportText*, std::shared_ptr<const PreparedText>> m_texts;
    PreparedReport m_out;
};
