#pragma once

#include "ui/shell/TForm.h"

class TextLink;

// The information screen: what the program is, who makes it, and a link
// that prepares an e-mail to the maker.
class TfrmInfo : public TForm {
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget* owner = nullptr);

    // The address handed to the document opener (quoted, not percent-encoded).
    static QString mailCommand();

    void lnkWebClick();
    void btnChiudiClick() { close(); }

private:
    TextLink* m_lnkWeb = nullptr;
};
