#include "QuickFind.h"

#include "ui/shell/Msg.h"
#include "core/text/Text.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

namespace {

int selectedRow(const QAbstractItemView* list)
{
    const QItemSelectionModel* sel = list->selectionModel();
    if (!sel)
        return -1;
    const QModelIndex current = list->currentIndex();
    if (current.isValid() && sel->isSelected(current))
        return current.row();
    const QModelIndexList rows = sel->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void selectRow(QAbstractItemView* list, int row)
{
    const QModelIndex at = list->model()->index(row, 0, list->rootIndex());
    list->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(at);
}

} // namespace

bool QuickFind::contains(QStringView line, QStringView foldedNeedle)
{
    const qsizetype n = foldedNeedle.size();
    if (n == 0 || line.size() < n)
        return false;
    const char16_t first = foldedNeedle[0].unicode();
    for (qsizetype i = 0; i + n <= line.size(); ++i) {
        if (Text::foldAZ(line[i].unicode()) != first)
            continue;
        qsizetype k = 1;
        while (k < n && Text::foldAZ(line[i + k].unicode()) == foldedNeedle[k].unicode())
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

void QuickFind::next(QWidget* parent, QAbstractItemView* list, const QString& typed, QString& last)
{
    QAbstractItemModel* model = list->model();
    const int rows = model ? model->rowCount(list->rootIndex()) : 0;
    if (rows == 0) {
        Msg::plain(parent, kEmptyList);
        return;
    }
    if (selectedRow(list) < 0)
        selectRow(list, 0);
    const QString s = Text::foldAZ(typed);
    auto lineAt = [&](int row) { return model->index(row, 0, list->rootIndex()).data(Qt::DisplayRole).toString(); };

    int found = -1;
    if (s != last) {
        // A new text: the first line is tested first, then the others.
        for (int row = 0; row < rows && found < 0; ++row) {
            if (contains(lineAt(row), s))
                found = row;
        }
    } else {
        // The same text again: go on after the selected line, round to it.
        const int start = selectedRow(list);
        for (int step = 1; step <= rows && found < 0; ++step) {
            const int row = (start + step) % rows;
            if (contains(lineAt(row), s))
                found = row;
        }
    }
    if (found >= 0)
        selectRow(list, found);
    last = s;
}
