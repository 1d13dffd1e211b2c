#pragma once

#include "ui/shell/TForm.h"

class CardScreen;
class QKeyEvent;
class QLineEdit;
class QPushButton;

// The article year selection: the user types the calendar year whose
// archive to work on and presses Apri; the article card screen gets the
// archive's path and a caption with the year and is shown. Its exit leads
// back to the main menu. The hidden label `lblMemory` holds the return
// tag: "avvio" while the screen is in use, "servizi" once a year is open.
class TfrmMenuServizi : public TForm {
    Q_OBJECT
public:
    explicit TfrmMenuServizi(QWidget* owner = nullptr);

    // True when the key may reach the year field.
    bool txtAnnoPreventiviKeyDown(const QKeyEvent& key);
    void btnApriPreventiviClick();
    void imgGuidaClick();
    void imgEsciClick();

protected:
    void formShow() override;
    void formClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The article card the year opens.
    static CardScreen* articleCard();
    QLineEdit* m_txtAnnoPreventivi = nullptr;
    QPushButton* m_btnApriPreventivi = nullptr;
};
