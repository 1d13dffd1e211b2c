#pragma once

#include "ui/cards/CardScreen.h"

// The book card: one card of "Libri.pro" at a time, its commands and the
// launchers of the other book screens.
class TfrmLibri : public CardScreen {
    Q_OBJECT
public:
    explicit TfrmLibri(QWidget* owner = nullptr);

    QString archivePath() const override;

    void cmdNuovoClick();
    void cmdDuplicaClick();
    void cmdTrovaClick();
    void cmdFileClick();
    void cmdStampaClick();
    void cmdEsportaClick();
    void cmdDisponibiliClick();
    void cmdGuidaClick();
    void btnDeweyClick();
    void btnGoogleClick();
    void btnScadenzaClick();
    void txtIsbnKeyUp();

protected:
    void formClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCommandBar();
    void buildSections();
};
