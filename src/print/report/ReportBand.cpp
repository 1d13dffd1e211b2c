#include "ReportBand.h"

ReportBand::ReportBand(Kind kind, const QString& name, qreal height)
    : ReportObject(Type::Band, name, QRectF(0, 0, 0, height))
    , m_kind(kind)
{
}

ReportObject* ReportBand::take(std::unique_ptr<ReportObject> object)
{
    m_objects.push_back(std::move(object));
    return m_objects.back().get();
}
