#pragma once

#include "ui/cards/CardForm.h"

class CardScreen;
class QWidget;

// Builds a card screen's controls from its form: the command bar, the
// sections with their captions and fields placed by the form's rule, the
// section buttons, the cancelled-flag patch, the info line, the hidden
// controls, the typing limits, the focus highlights and the Enter ring.
class CardLayout {
public:
    static void build(CardScreen& screen);

private:
    static void buildCommandBar(CardScreen& s);
    static void buildSections(CardScreen& s);
    static QWidget* addField(const CardForm& form, QWidget* section, const CardForm::Field& field, int y);
    static void addCancelledPatch(CardScreen& s, QWidget* section, int y);
    static void buildHiddenControls(CardScreen& s);
    static void buildEnterRing(CardScreen& s);
};
