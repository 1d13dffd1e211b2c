#pragma once

#include <QRectF>
#include <QString>

// A named object of a report template. Its geometry is in report units,
// relative to the printable area of the page (objects placed directly on
// the page) or to the top-left corner of its band.
class ReportObject {
public:
    enum class Type { Text, Rect, Line, Band, Picture };

    ReportObject(Type type, const QString& name, const QRectF& geometry)
        : m_type(type)
        , m_name(name)
        , m_geometry(geometry)
    {
    }
    virtual ~ReportObject() = default;
    ReportObject(const ReportObject&) = delete;
    ReportObject& operator=(const ReportObject&) = delete;

    Type type() const { return m_type; }
    const QString& name() const { return m_name; }

    QRectF geometry() const { return m_geometry; }
    void setGeometry(const QRectF& geometry) { m_geometry = geometry; }
    qreal height() const { return m_geometry.height(); }
    void setHeight(qreal height) { m_geometry.setHeight(height); }

private:
    Type m_type;
    QString m_name;
    QRectF m_geometry;
};
