#pragma once

#include "ui/cards/CardForm.h"

#include <QString>

#include <utility>
#include <vector>

class Picture;
class QLabel;
class QWidget;

// Builds a card screen's controls from its form on the screen's panel: the
// command bar, the sections with their captions and fields placed by the
// form's rule, the section buttons, the cancelled-flag patch, the info
// line, the hidden controls and the tab order. What the screen's own
// conventions do with them (hints, blank areas, typing limits, the Enter
// ring, the commands) is listed here for the screen to apply.
class CardLayout {
public:
    CardLayout(QWidget* panel, const CardForm& form);

    std::vector<QWidget*> sections;   // in form order
    QLabel* position = nullptr;       // lblPosizione
    QLabel* info = nullptr;           // panInfo
    std::vector<QWidget*> blankAreas; // pointing at them empties the info line
    std::vector<std::pair<QWidget*, QString>> hints;
    std::vector<std::pair<Picture*, const CardForm::Command*>> commands;
    std::vector<std::pair<QWidget*, int>> capacities; // the form's own typing limits
    std::vector<QWidget*> oneLine;                    // fields whose typing keeps one line
    std::vector<std::pair<QWidget*, QWidget*>> enterChain;
    std::vector<std::pair<QWidget*, QString>> fieldHints; // the form's hints of fields

private:
    void buildCommandBar();
    void buildSections();
    static QWidget* addField(const CardForm& form, QWidget* section, const CardForm::Field& field, int y);
    void addCancelledPatch(QWidget* section, int y);
    void buildHiddenControls();
    void buildEnterRing();
    QWidget* control(std::string_view name) const;

    QWidget* m_panel;
    const CardForm& m_form;
};
