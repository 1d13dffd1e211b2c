#pragma once

#include "core/desk/Stocktake.h"
#include "ui/desk/DeskForm.h"

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

// The stocktake of a shelf: choose the collection and the shelf (blank:
// all), scan every item; the count grows as it goes, a code scanned twice
// or of another shelf is warned of. "Esito" lists the shelf's cards not
// scanned (on loan ones marked), the codes of other shelves and of no card;
// Stampa prints them. The work in progress stays in the program folder
// until "Chiudi inventario", so Chiudi only pauses it.
class TfrmInventario : public DeskForm {
    Q_OBJECT
public:
    explicit TfrmInventario(QWidget* owner = nullptr);

    QComboBox* cmbRaccolta() const { return m_cmbRaccolta; }
    QLineEdit* txtScaffale() const { return m_txtScaffale; }
    QListWidget* lstLetture() const { return m_lstLetture; }
    QTreeWidget* lstEsito() const { return m_lstEsito; }
    QLabel* lblConteggio() const { return m_lblConteggio; }
    const Stocktake* stocktake() const { return m_stocktake.get(); }

    void btnIniziaClick();
    void btnRiprendiClick();
    void txtCodiceEnter();
    void btnEsitoClick();
    void btnStampaClick();
    void btnTerminaClick();
    void btnChiudiClick() { close(); }

    static void open(QWidget* owner);

protected:
    void formShow() override;

private:
    void started();
    void listScan(const Stocktake::Scan& scan);
    void count();

    std::unique_ptr<Stocktake> m_stocktake;
    QComboBox* m_cmbRaccolta = nullptr;
    QLineEdit* m_txtScaffale = nullptr;
    QLabel* m_lblConteggio = nullptr;
    QListWidget* m_lstLetture = nullptr;
    QTreeWidget* m_lstEsito = nullptr;
    QPushButton* m_btnRiprendi = nullptr;
};
