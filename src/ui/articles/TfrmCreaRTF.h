#pragma once

#include "ui/shell/TForm.h"

// Exports the article card on display to "Scheda_Articolo.rtf" in the
// program folder and offers to open it in the word processor, where the
// user adjusts and prints it. Opened by the article card with its tag,
// centred over it; Annulla closes.
class TfrmCreaRTF : public TForm {
    Q_OBJECT
public:
    explicit TfrmCreaRTF(QWidget* owner = nullptr);

    void btnStampaClick();
    void btnAnnullaClick();

private:
    void CreaDocumento();
};
