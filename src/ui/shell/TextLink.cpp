#include "TextLink.h"

#include "ui/shell/Picture.h"

#include <QMouseEvent>

TextLink::TextLink(const QString& name, const QString& text, QWidget* parent, QRect geometry)
    : QLabel(text, parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setColour(kRest);
}

void TextLink::setColour(const QColor& colour)
{
    m_colour = colour;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void TextLink::bindPicture(Picture* picture)
{
    connect(picture, &Picture::pressed, this, [this] { setColour(kDown); });
    connect(picture, &Picture::released, this, [this] { setColour(kRest); });
    connect(picture, &Picture::clicked, this, &TextLink::clicked);
}

void TextLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    setColour(kDown);
    event->accept();
}

void TextLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // The label keeps the mouse while the button is down, so the release
    // arrives here even when the pointer has left the link.
    setColour(kRest);
    event->accept();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
