#pragma once

#include "ui/shell/TForm.h"

struct Tool;

// The short list of the additions that the main menu's "Strumenti" icon
// opens: one picture, caption and hint per tool. A pick closes the list;
// open() then opens the tool over the list's owner, so a tool that hands
// over to a card screen does so from the main menu.
class TfrmStrumenti : public TForm {
    Q_OBJECT
public:
    explicit TfrmStrumenti(QWidget* owner = nullptr);

    // What a click on a tool's picture or caption does.
    void pick(const QString& name);
    void btnChiudiClick() { close(); }
    const Tool* chosen() const { return m_chosen; }

    static void open(QWidget* owner);

private:
    const Tool* m_chosen = nullptr;
};
