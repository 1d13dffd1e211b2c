#include "Picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

Picture::Picture(const QString& name, const QString& svg, QWidget* parent, QRect geometry, bool clickable)
    : QLabel(parent)
    , m_svg(svg)
    , m_clickable(clickable)
{
    setObjectName(name);
    setGeometry(geometry);
    setAlignment(Qt::AlignCenter);
    if (clickable)
        setCursor(Qt::PointingHandCursor);
    redraw();
}

void Picture::setSvg(const QString& svg)
{
    m_svg = svg;
    redraw();
}

QPixmap Picture::render(const QString& svg, QSize size, qreal dpr)
{
    QPixmap pm(size * dpr);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(svg));
    if (renderer.isValid()) {
        QPainter p(&pm);
        renderer.setAspectRatioMode(Qt::KeepAspectRatio);
        renderer.render(&p);
    }
    pm.setDevicePixelRatio(dpr);
    return pm;
}

void Picture::redraw()
{
    if (!m_svg.isEmpty() && !size().isEmpty())
        setPixmap(render(m_svg, size(), devicePixelRatioF()));
}

void Picture::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    redraw();
}

void Picture::mousePressEvent(QMouseEvent* event)
{
    if (m_clickable && event->button() == Qt::LeftButton) {
        emit pressed();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void Picture::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_clickable && event->button() == Qt::LeftButton) {
        emit released();
        if (rect().contains(event->position().toPoint()))
            emit clicked();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
