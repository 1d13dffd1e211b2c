#pragma once

#include <QString>

#include <vector>

class QWidget;
struct Collection;

// What a card-print screen needs to know about its collection: the window,
// the sheet's names and title, and the rows, each a caption and the name of
// the card control (and value element) whose text it prints.
struct CardSheet {
    struct Row {
        QString caption;
        QString control;
    };

    QString windowCaption; // the print screen's caption
    int logoTop = 26;      // where the screen's artwork starts
    QString reportName;    // the template's name
    QString title;         // the text of the title bar
    std::vector<Row> rows; // from the top of the sheet
    QString cardTag;       // the caller tag of the card screen whose controls are printed

    // The sheet of a collection's card: its print sheet, each row printed
    // from the field's card control; `logoTop` is where the print screen's
    // artwork starts.
    static CardSheet of(const Collection& collection, int logoTop);
};
