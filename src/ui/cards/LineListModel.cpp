#include "LineListModel.h"

void LineListModel::setLines(const QStringList& lines)
{
    beginResetModel();
    m_lines = lines;
    endResetModel();
}

void LineListModel::setItemSize(QSize size)
{
    if (size == m_itemSize)
        return;
    m_itemSize = size;
    if (!m_lines.isEmpty())
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::SizeHintRole});
}

int LineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant LineListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_lines.at(index.row());
    case Qt::SizeHintRole:
        return m_itemSize.isValid() ? QVariant(m_itemSize) : QVariant();
    default:
        return {};
    }
}
