#pragma once

#include <QListView>
#include <QStringList>

class LineListModel;

// A list of text lines drawn in Courier New 12, black, so that fixed-width
// columns align: the result list of the search screens and the Dewey table.
// It is filled in one batch and lays out uniform items, so tens of thousands
// of lines show at once.
class LineList : public QListView {
    Q_OBJECT
public:
    explicit LineList(const QString& name, QWidget* parent, QRect geometry);

    void setLines(const QStringList& lines);
    const QStringList& lines() const;
    int count() const;
    QString line(int row) const;
    void clear() { setLines({}); }

    // The width of every item; the horizontal scroll bar covers it.
    void setItemWidth(int width);
    // At least `minimum`, and wide enough for the longest line.
    void fitItemWidth(int minimum);
    void showScrollBars();

    // The selected line, -1 when none.
    int selectedRow() const;
    // Selects `row` (and makes it the current line); out of range: nothing.
    void selectRow(int row);

signals:
    // A double-click anywhere on the list, on a line or not.
    void dblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    LineListModel* m_model;
};
