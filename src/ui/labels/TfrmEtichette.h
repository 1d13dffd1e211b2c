#pragma once

#include "core/labels/LabelCards.h"
#include "core/labels/LabelScan.h"
#include "core/labels/LabelSheet.h"
#include "print/labels/LabelReport.h"
#include "ui/shell/TForm.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// Spine and barcode labels for the cards of a collection, on a common A4
// label sheet or the user's own grid, from any label of the first sheet.
// The first page shows as it will print; Stampa prints through the print
// dialog (printer or PDF). The sheet, the custom grid and the library name
// are kept in the program folder's settings file when printing.
class TfrmEtichette : public TForm {
    Q_OBJECT
public:
    explicit TfrmEtichette(QWidget* owner = nullptr);

    // A fresh labels screen, shown modally over `owner`.
    static void open(QWidget* owner);

    // What the choices on the screen make; `error` says why nothing can
    // be printed (and the count line shows it).
    const QList<LabelCard>& cards() const { return m_cards; }
    const PreparedReport& pages() const { return m_pages; }
    QString error() const { return m_error; }
    // The barcode labels of the choice that would not scan, listed on the
    // screen and asked about before printing.
    const QList<LabelScan::Problem>& problems() const { return m_problems; }

    void refresh();
    void btnStampaClick();
    void btnChiudiClick() { close(); }

protected:
    void formClose() override;

private:
    const Collection* chosenCollection() const;
    LabelSheet chosenSheet() const;
    LabelSheet gridInBoxes() const;
    void showGrid(const LabelSheet& sheet);
    bool readChoice(LabelChoice& choice);
    void sheetChanged();
    void sheetPicked();
    void rangeChanged();
    void nameSpine();
    void saveSettings();

    QComboBox* m_txtRaccolta = nullptr;
    QComboBox* m_txtTipo = nullptr;
    QComboBox* m_txtScelta = nullptr;
    QLabel* m_lblDa = nullptr;
    QLabel* m_lblA = nullptr;
    QLineEdit* m_txtDa = nullptr;
    QLineEdit* m_txtA = nullptr;
    QCheckBox* m_chkAnnullate = nullptr;
    QComboBox* m_txtFoglio = nullptr;
    QSpinBox* m_txtColonne = nullptr;
    QSpinBox* m_txtRighe = nullptr;
    QDoubleSpinBox* m_txtSinistro = nullptr;
    QDoubleSpinBox* m_txtAlto = nullptr;
    QDoubleSpinBox* m_txtPassoX = nullptr;
    QDoubleSpinBox* m_txtPassoY = nullptr;
    QDoubleSpinBox* m_txtLarghezza = nullptr;
    QDoubleSpinBox* m_txtAltezza = nullptr;
    QSpinBox* m_txtInizio = nullptr;
    QLineEdit* m_txtBiblioteca = nullptr;
    QLabel* m_lblNonLeggibili = nullptr;
    QPlainTextEdit* m_lstNonLeggibili = nullptr;
    QLabel* m_imgAnteprima = nullptr;
    QLabel* m_lblConta = nullptr;
    QPushButton* m_btnStampa = nullptr;

    // The custom grid as last edited, kept while a preset is shown in its
    // boxes; and the sheet chosen before the current one.
    LabelSheet m_custom;
    QString m_sheetKey;
    QList<LabelCard> m_cards;
    QList<LabelScan::Problem> m_problems;
    PreparedReport m_pages;
    QString m_error;
    bool m_filling = false;
};
