#include "LineList.h"

#include "ui/cards/LineListModel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

LineList::LineList(const QString& name, QWidget* parent, QRect geometry)
    : QListView(parent)
    , m_model(new LineListModel(this))
{
    setObjectName(name);
    setGeometry(geometry);
    QFont font(QStringLiteral("Courier New"), 12);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setModel(m_model);
    setItemWidth(width());
}

void LineList::setLines(const QStringList& lines)
{
    m_model->setLines(lines);
}

const QStringList& LineList::lines() const
{
    return m_model->lines();
}

int LineList::count() const
{
    return m_model->rowCount();
}

QString LineList::line(int row) const
{
    return row >= 0 && row < count() ? m_model->lines().at(row) : QString();
}

void LineList::setItemWidth(int width)
{
    m_model->setItemSize(QSize(width, QFontMetrics(font()).height() + 2));
    scheduleDelayedItemsLayout();
}

void LineList::fitItemWidth(int minimum)
{
    // Lines are drawn in a fixed-width font, so the line with the most
    // characters is the widest; only that one is measured.
    const QStringList& all = lines();
    const QString* longest = nullptr;
    for (const QString& l : all) {
        if (!longest || l.size() > longest->size())
            longest = &l;
    }
    int width = minimum;
    if (longest) {
        // The item's margins on both sides of the text, and a blank to spare.
        const QFontMetrics metrics(font());
        const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1)
            + metrics.horizontalAdvance(QLatin1Char(' '));
        width = std::max(width, metrics.horizontalAdvance(*longest) + margin);
    }
    setItemWidth(width);
}

void LineList::showScrollBars()
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

int LineList::selectedRow() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isSelected(current))
        return current.row();
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void LineList::selectRow(int row)
{
    if (row < 0 || row >= count())
        return;
    const QModelIndex at = m_model->index(row);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    scrollTo(at);
}

void LineList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit dblClick();
}
