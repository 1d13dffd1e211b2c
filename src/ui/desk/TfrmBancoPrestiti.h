#pragma once

#include "core/desk/LendingDesk.h"
#include "ui/desk/DeskForm.h"

#include <QStringList>

#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStringListModel;
class QTreeWidget;

// The lending desk: a code field takes a scan (a scanner types the code and
// Enter) or a typed code; the card found is shown large with its loan
// state. Enter then returns a card on loan, or, with the reader's name
// typed, lends it (item first). A reader's name entered with no card
// waiting holds that reader: every item scanned is lent to them until Esc
// or "Fine lettore" (reader first, a class borrowing a pile). Whatever has
// the focus, a scan goes to the code field: typed keys of the lists, the
// period box and the buttons are sent there, and a reader's name that is a
// card's code is taken as its scan; a move it interrupts is left unwritten
// and said. After every move, refusal or cancel the code field has the
// focus. The DVDs' period changes with the arrows and is used and saved
// only when confirmed. Moves are listed at the bottom, the last one can be
// undone. A dialog of the main menu, opened afresh for each use from
// "Strumenti" or with Ctrl+B.
class TfrmBancoPrestiti : public DeskForm {
    Q_OBJECT
public:
    explicit TfrmBancoPrestiti(QWidget* owner = nullptr);

    QLineEdit* txtLettore() const { return m_txtLettore; }
    QSpinBox* txtDurata() const { return m_txtDurata; }
    QListWidget* lstSchede() const { return m_lstSchede; }
    QPushButton* btnDurata() const { return m_btnDurata; }
    // The reader every scanned item is lent to; empty when none is held.
    const QString& heldReader() const { return m_held; }
    int loanDays() const { return m_days; }
    QTreeWidget* lstMovimenti() const { return m_lstMovimenti; }
    const std::optional<DeskCard>& shown() const { return m_card; }
    const LendingDesk& desk() const { return m_desk; }

    void txtCodiceEnter();
    void lstSchedePick();
    void btnPrestaClick();
    void btnRestituisciClick();
    void btnAnnullaClick();
    void btnFineLettoreClick();
    void btnDurataClick();
    void txtLettoreEnter();
    void txtDurataChange();
    void btnChiudiClick() { close(); }

    static void open(QWidget* owner);

protected:
    void formShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void scan(const QString& code);
    void cardChosen(const DeskCard& card);
    void lendTo(const QString& reader);
    // The move waiting for the user (a card waiting for its reader, a
    // choice among cards), as the message line names it; empty when none.
    QString pending() const;
    // Drops the pending move; the message line says so, before `then`.
    QString dropPending();
    void holdReader(const QString& name);
    void showCard(const DeskCard& card);
    void clearCard();
    QString availableText() const;
    void readyForScan(bool selectCode);
    void addMove(const DeskMove& move);
    void moveFailed();

    LendingDesk m_desk;
    std::optional<DeskCard> m_card;
    std::vector<DeskCard> m_choices;
    QString m_choiceCode;
    QString m_held;
    int m_days = 0;
    QStringList m_readers;
    QStringListModel* m_readerModel = nullptr;
    QLineEdit* m_txtLettore = nullptr;
    QSpinBox* m_txtDurata = nullptr;
    QLabel* m_lblTitolo = nullptr;
    QLabel* m_lblAutore = nullptr;
    QLabel* m_lblPosto = nullptr;
    QLabel* m_lblStato = nullptr;
    QListWidget* m_lstSchede = nullptr;
    QTreeWidget* m_lstMovimenti = nullptr;
    QPushButton* m_btnPresta = nullptr;
    QPushButton* m_btnRestituisci = nullptr;
    QPushButton* m_btnAnnulla = nullptr;
    QPushButton* m_btnFineLettore = nullptr;
    QPushButton* m_btnDurata = nullptr;
};
