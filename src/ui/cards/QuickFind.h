#pragma once

#include <QString>

class QAbstractItemView;
class QWidget;

// The quick find within a list (the Trova button of the search screens and
// of the Dewey table). `last` is the last quick-find text of the screen
// class, lower-cased; the caller keeps it and decides when it is emptied.
class QuickFind {
public:
    static inline const QString kEmptyList = QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce.");

    // With a new text, tests from the first line; with the same text again,
    // goes on after the selected line, wrapping round to the top. Selects
    // the line found; leaves the selection as it was when none matches.
    static void next(QWidget* parent, QAbstractItemView* list, const QString& typed, QString& last);

    // True when `foldedNeedle` (already A-Z folded) occurs in `line` read
    // with A-Z as a-z; an empty needle occurs nowhere.
    static bool contains(QStringView line, QStringView foldedNeedle);
};
