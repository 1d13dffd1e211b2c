#pragma once

#include "ReportBand.h"
#include "ReportPicture.h"
#include "ReportShape.h"
#include "ReportText.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include <memory>
#include <vector>

// A report template: one printable page with paper, orientation and
// margins, objects placed directly on it (printed on every page) and the
// bands of a list. A screen fills named text elements, has the pages laid
// out (ReportPaginator::paginate) and prints them; the template keeps no
// pages of its own.
class Report {
public:
    explicit Report(const QString& name);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    const QString& name() const { return m_name; }

    // The page.
    void setPaper(QPageSize::PageSizeId paper) { m_paper = QPageSize(paper); }
    const QPageSize& paper() const { return m_paper; }
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setMargins(qreal millimetres) { m_margins = QMarginsF(millimetres, millimetres, millimetres, millimetres); }
    QSizeF paperSize() const;     // report units, oriented
    QRectF printableArea() const; // report units from the paper's corner

    // Building the template. Names are unique within the template; an
    // object goes on the page, or into `band` when one is given.
    ReportText* addText(const QString& name, const QRectF& geometry, ReportBand* band = nullptr);
    ReportShape* addRect(const QString& name, const QRectF& geometry, ReportBand* band = nullptr);
    ReportShape* addLine(const QString& name, QPointF from, QPointF to, ReportBand* band = nullptr);
    ReportPicture* addPicture(const QString& name, const QRectF& geometry, ReportBand* band = nullptr);
    ReportBand* addBand(ReportBand::Kind kind, const QString& name, qreal height);

    const std::vector<std::unique_ptr<ReportObject>>& pageObjects() const { return m_objects; }
    const std::vector<std::unique_ptr<ReportBand>>& bands() const { return m_bands; }

    // Find object: nullptr when the template has none by that name (or it
    // is of another kind).
    ReportObject* findObject(const QString& name) const;
    ReportText* findText(const QString& name) const;
    ReportBand* findBand(const QString& name) const;

private:
    void checkNewName(const QString& name) const;
    // Puts a new object on `band`, or on the page itself when there is none.
    template <class T> T* place(std::unique_ptr<T> object, ReportBand* band);

    QString m_name;
    QPageSize m_paper{QPageSize::A4};
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QMarginsF m_margins{10, 10, 10, 10}; // millimetres
    std::vector<std::unique_ptr<ReportObject>> m_objects;
    std::vector<std::unique_ptr<ReportBand>> m_bands;
};
