#pragma once

#include <QAbstractListModel>
#include <QSize>
#include <QStringList>

// The lines of a list screen (search results, the Dewey table) as a model:
// filled in one batch, every item of the same size.
class LineListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(const QStringList& lines);
    const QStringList& lines() const { return m_lines; }
    void clear() { setLines({}); }

    // The size every item reports (the width sets the horizontal scroll range).
    void setItemSize(QSize size);
    QSize itemSize() const { return m_itemSize; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QStringList m_lines;
    QSize m_itemSize;
};
