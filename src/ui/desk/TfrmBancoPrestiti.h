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

// The lending desk: a code field that always has the focus takes a scan
// (a scanner types the code and Enter) or a typed code; the card found is
// shown large with its loan state. Enter then returns a card on loan, or,
// with the reader's name typed, lends it. Moves are listed at the bottom,
// the last one can be undone. A dialog of the main menu, opened afresh
// for each use from "Strumenti" or with Ctrl+B.
class TfrmBancoPrestiti : public DeskForm {
    Q_OBJECT
public:
    explicit TfrmBancoPrestiti(QWidget* owner = nullptr);

    QLineEdit* txtLettore() const { return m_txtLettore; }
    QSpinBox* txtDurata() const { return m_txtDurata; }
    QListWidget* lstSchede() const { return m_lstSchede; }
    QTreeWidget* lstMovimenti() const { return m_lstMovimenti; }
    const std::optional<DeskCard>& shown() const { return m_card; }
    const LendingDesk& desk() const { return m_desk; }

    void txtCodiceEnter();
    void lstSchedePick();
    void btnPrestaClick();
    void btnRestituisciClick();
    void btnAnnullaClick();
    void txtDurataChange();
    void btnChiudiClick() { close(); }

    static void open(QWidget* owner);

protected:
    void formShow() override;

private:
    void showCard(const DeskCard& card);
    void clearCard();
    QString availableText() const;
    void readyForScan(bool selectCode);
    void addMove(const DeskMove& move);
    void moveFailed();

    LendingDesk m_desk;
    std::optional<DeskCard> m_card;
    std::vector<DeskCard> m_choices;
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
};
