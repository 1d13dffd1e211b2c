#pragma once

#include "ui/shell/TForm.h"

class TextLink;

// The credits screen: the maker's credits picture and a link to the maker's
// web site. Opens centred over the screen that owns it.
class TfrmSplash : public TForm {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* owner = nullptr);

    void lnkWebClick();
    void btnChiudiClick() { close(); }

private:
    TextLink* m_lnkWeb = nullptr;
};
