#pragma once

#include "ui/shell/TForm.h"

#include <QStringList>

class CardScreen;
class LineList;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The built-in table of Dewey class codes: browsed, searched with the quick
// find, printed whole, and a double-clicked code handed to the book card's
// `txtDewey`. The table is added by a one-shot timer once the window (with
// its loading picture) has been drawn.
class TfrmCodici_Dewey : public TForm {
    Q_OBJECT
public:
    explicit TfrmCodici_Dewey(QWidget* owner = nullptr);

    // The table, one line per subject: code, one space, caption.
    static const QStringList& table();

    LineList* lstRecords() const { return m_lstRecords; }
    QTimer* timCarica() const { return m_timCarica; }

    void timCaricaTimer();
    void btnTrovaClick();
    void lstRecordsDblClick();
    void btnStampaMouseDown();
    void btnStampaClick();
    void btnChiudiClick() { close(); }

protected:
    void formShow() override;
    void formClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The book card a chosen code goes into.
    static CardScreen* bookCard();
    QLabel* addLabel(const QString& name, const QString& text, QPoint at);

    QLineEdit* m_txtTrova = nullptr;
    QPushButton* m_btnTrova = nullptr;
    QPushButton* m_btnStampa = nullptr;
    LineList* m_lstRecords = nullptr;
    QWidget* m_panDewey = nullptr;
    QLabel* m_lblAttendere = nullptr;
    QTimer* m_timCarica = nullptr;
};
