#pragma once

#include "ui/shell/TForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "Catalogo in rete": the switch that starts and stops the web catalogue
// from the program, where it listens (this computer alone, or the
// library's network), the address readers type, and the poster with that
// address as text and as a QR Code. Opened from the "Strumenti" list.
class TfrmCatalogoInRete : public TForm {
    Q_OBJECT
public:
    explicit TfrmCatalogoInRete(QWidget* owner = nullptr);

    QCheckBox* chkAttivo() const { return m_chkAttivo; }
    QLabel* lblIndirizzo() const { return m_lblIndirizzo; }
    QComboBox* cmbRete() const { return m_cmbRete; }
    QSpinBox* spnPorta() const { return m_spnPorta; }

    void chkAttivoToggled(bool on);
    void btnStampaClick();
    void btnChiudiClick() { close(); }

    static void open(QWidget* owner);

private:
    void refresh(const QString& error = {});

    QCheckBox* m_chkAttivo = nullptr;
    QComboBox* m_cmbRete = nullptr;
    QSpinBox* m_spnPorta = nullptr;
    QLabel* m_lblIndirizzo = nullptr;
    QLabel* m_lblStato = nullptr;
    QPushButton* m_btnStampa = nullptr;
};
