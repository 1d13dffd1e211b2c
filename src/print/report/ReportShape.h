#pragma once

#include "ReportObject.h"

#include <QColor>

// A rectangle (outlined, filled, or both) or a straight line from the
// top-left to the bottom-right corner of its geometry (a vertical line has
// width 0). An invalid colour leaves out the outline or the filling.
class ReportShape : public ReportObject {
public:
    ReportShape(Type type, const QString& name, const QRectF& geometry)
        : ReportObject(type, name, geometry)
    {
    }

    QColor pen() const { return m_pen; }
    void setPen(const QColor& colour) { m_pen = colour; }
    qreal penWidth() const { return m_penWidth; }
    void setPenWidth(qreal units) { m_penWidth = units; }
    QColor fill() const { return m_fill; }
    void setFill(const QColor& colour) { m_fill = colour; }

private:
    QColor m_pen = Qt::black;
    qreal m_penWidth = 1.0;
    QColor m_fill;
};
