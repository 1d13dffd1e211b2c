#include "Report.h"

#include "ReportFonts.h"
#include "ReportUnits.h"

Report::Report(const QString& name)
    : m_name(name)
{
    ReportFonts::ensureSubstitutes();
}

Report::~Report() = default;

QSizeF Report::paperSize() const
{
    const QSizeF mm = m_paper.size(QPageSize::Millimeter);
    const QSizeF units(ReportUnits::mm(mm.width()), ReportUnits::mm(mm.height()));
    return m_orientation == QPageLayout::Landscape ? units.transposed() : units;
}

QRectF Report::printableArea() const
{
    const QSizeF paper = paperSize();
    const qreal left = ReportUnits::mm(m_margins.left());
    const qreal top = ReportUnits::mm(m_margins.top());
    return QRectF(
        left, top, paper.width() - left - ReportUnits::mm(m_margins.right()), paper.height() - top - ReportUnits::mm(m_margins.bottom()));
}

void Report::checkNewName(const QString& name) const
{
    Q_ASSERT_X(!findObject(name), "Report", "object names are unique within a template");
    Q_UNUSED(name);
}

template <class T> T* Report::place(std::unique_ptr<T> object, ReportBand* band)
{
    checkNewName(object->name());
    T* raw = object.get();
    if (band)
        band->take(std::move(object));
    else
        m_objects.push_back(std::move(object));
    return raw;
}

ReportText* Report::addText(const QString& name, const QRectF& geometry, ReportBand* band)
{
    return place(std::make_unique<ReportText>(name, geometry), band);
}

ReportShape* Report::addRect(const QString& name, const QRectF& geometry, ReportBand* band)
{
    return place(std::make_unique<ReportShape>(ReportObject::Type::Rect, name, geometry), band);
}

ReportShape* Report::addLine(const QString& name, QPointF from, QPointF to, ReportBand* band)
{
    return place(std::make_unique<ReportShape>(ReportObject::Type::Line, name, QRectF(from, to)), band);
}

ReportPicture* Report::addPicture(const QString& name, const QRectF& geometry, ReportBand* band)
{
    return place(std::make_unique<ReportPicture>(name, geometry), band);
}

ReportBand* Report::addBand(ReportBand::Kind kind, const QString& name, qreal height)
{
    checkNewName(name);
    m_bands.push_back(std::make_unique<ReportBand>(kind, name, height));
    return m_bands.back().get();
}

ReportObject* Report::findObject(const QString& name) const
{
    for (const auto& object : m_objects) {
        if (object->name() == name)
            return object.get();
    }
    for (const auto& band : m_bands) {
        if (band->name() == name)
            return band.get();
        for (const auto& object : band->objects()) {
            if (object->name() == name)
                return object.get();
        }
    }
    return nullptr;
}

ReportText* Report::findText(const QString& name) const
{
    ReportObject* object = findObject(name);
    return object && object->type() == ReportObject::Type::Text ? static_cast<ReportText*>(object) : nullptr;
}

ReportBand* Report::findBand(const QString& name) const
{
    ReportObject* object = findObject(name);
    return object && object->type() == ReportObject::Type::Band ? static_cast<ReportBand*>(object) : nullptr;
}
