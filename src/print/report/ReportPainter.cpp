#include "ReportPainter.h"

#include "ReportUnits.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ReportPainter {

namespace {

QRectF toDevice(const QRectF& r, qreal scale)
{
    return QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
}

void paintText(QPainter& painter, const PageItem& item, qreal scale)
{
    const PreparedText& text = *item.text;
    const QRectF box = toDevice(item.rect, scale);
    if (text.fill.isValid())
        painter.fillRect(box, text.fill);
    if (item.lineCount <= 0)
        return;

    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.setFont(text.font);
    painter.setPen(text.colour);
    const Qt::Alignment horizontal = text.alignment & Qt::AlignHorizontal_Mask;
    const qreal left = (item.rect.left() + text.padding) * scale;
    const qreal width = std::max<qreal>(0, item.rect.width() - 2 * text.padding) * scale;
    if (text.wordWrap) {
        const QRectF inner(left, item.linesTop * scale, width, item.rect.bottom() * scale - item.linesTop * scale);
        painter.drawText(inner, int(horizontal | (text.alignment & Qt::AlignVertical_Mask) | Qt::TextWordWrap), item.joined());
    } else {
        // A block shorter than its element may be centred in it vertically.
        qreal top = item.linesTop;
        if (text.alignment & Qt::AlignVCenter)
            top += (item.rect.height() - item.lineCount * text.pitch) / 2;
        else if (text.alignment & Qt::AlignBottom)
            top += item.rect.height() - item.lineCount * text.pitch;
        // Each line centred on its pitch, drawn at its baseline: no text
        // layout per line, which keeps long lists quick to print.
        const QFontMetricsF metrics = painter.fontMetrics();
        const qreal baseline = (text.pitch * scale - metrics.height()) / 2 + metrics.ascent();
        for (int i = 0; i < item.lineCount; ++i) {
            const QString& line = text.lines.at(item.firstLine + i);
            qreal x = left;
            if (horizontal & (Qt::AlignHCenter | Qt::AlignRight)) {
                const qreal room = width - metrics.horizontalAdvance(line);
                x += (horizontal & Qt::AlignHCenter) ? room / 2 : room;
            }
            painter.drawText(QPointF(x, (top + i * text.pitch) * scale + baseline), line);
        }
    }
    painter.restore();
}

void paintShape(QPainter& painter, const PageItem& item, qreal scale)
{
    const QRectF r = toDevice(item.rect, scale);
    QPen pen = item.pen.isValid() ? QPen(item.pen, item.penWidth * scale) : QPen(Qt::NoPen);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (item.kind == PageItem::Kind::Line) {
        painter.setPen(pen);
        painter.drawLine(r.topLeft(), r.bottomRight());
        return;
    }
    if (item.fill.isValid())
        painter.fillRect(r, item.fill);
    if (item.pen.isValid()) {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
    }
}

void paintPicture(QPainter& painter, const PageItem& item, qreal scale)
{
    if (!item.picture || item.picture->isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(toDevice(item.rect, scale), *item.picture);
    painter.restore();
}

} // namespace

void paintPage(QPainter& painter, const PreparedPage& page, qreal scale)
{
    for (const PageItem& item : page.items) {
        if (item.kind == PageItem::Kind::Text)
            paintText(painter, item, scale);
        else if (item.kind == PageItem::Kind::Picture)
            paintPicture(painter, item, scale);
        else
            paintShape(painter, item, scale);
    }
}

} // namespace ReportPainter
