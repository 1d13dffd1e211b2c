#pragma once

#include "ui/report/CardSheet.h"
#include "ui/shell/TForm.h"

#include <memory>

class Report;

// The card-print screen: Stampa prints the card on display in the card
// screen of its sheet as a one-page information sheet, then closes;
// Annulla closes. The book and DVD print screens are this screen fed their
// own sheet.
class TfrmStampaScheda : public TForm {
    Q_OBJECT
public:
    TfrmStampaScheda(QWidget* owner, CardSheet sheet);
    ~TfrmStampaScheda() override;

    Report& repDocumento() { return *m_repDocumento; }

    void btnStampaClick();
    void btnAnnullaClick();

private:
    CardSheet m_sheet;
    std::unique_ptr<Report> m_repDocumento;
};
