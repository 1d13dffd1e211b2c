#pragma once

#include <memory>

class CardRowSource;

#include "core/import/CardImport.h"
#include "ui/shell/TForm.h"

#include <atomic>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
struct Collection;

// "Importa ed esporta": a collection's complete catalogue out to a file
// (.xlsx, whose cells are all text, or CSV) and cards in from one, for the
// librarian who never opens a terminal. The import shows the first rows
// under the field each column fills, checks every row before writing
// (Controlla), writes every card or none with a progress bar and an
// "Interrompi" that leaves the archive as it was. Opened from the
// "Strumenti" list, created afresh for each use.
class TfrmTrasferimento : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrasferimento(QWidget* owner = nullptr);

    // The collection and year the screen works on.
    const Collection& collection() const;
    QString archivePath() const;
    // "Libri-2026-03-05.xlsx" in the user's documents folder.
    QString proposedExport() const;

    QTableWidget* grdAnteprima() const { return m_grdAnteprima; }
    QListWidget* lstProblemi() const { return m_lstProblemi; }
    QLabel* lblStato() const { return m_lblStato; }
    QString chosenFile() const { return m_file; }
    QString exported() const { return m_exported; }

    void btnEsportaClick();
    void exportMarc(const QString& format);
    void btnApriCartellaClick();
    void btnScegliClick();
    void btnControllaClick();
    void btnImportaClick();
    void btnInterrompiClick();
    void btnChiudiClick() { close(); }

    static void open(QWidget* owner);

signals:
    // A pass of the import has read `done` of `total` bytes (on the screen's thread).
    void progressed(int done, int total);

private:
    void preview();
    // Runs the import of the chosen file, off the screen's thread; false
    // when it did not run at all.
    bool runImport(bool checkOnly);
    void listReport(const CardImport& cards);
    void setBusy(bool busy);
    void setStatus(const QString& text);
    // For a yearly collection, a year of four digits; else says so.
    bool yearGiven();
    void collectionChanged();
    // The reader of MARC files for the book catalogue, as the code options
    // say; nullptr for the other collections.
    std::unique_ptr<CardRowSource> marcSource() const;

    QComboBox* m_cboRaccolta = nullptr;
    QLineEdit* m_txtAnno = nullptr;
    QComboBox* m_cboFormato = nullptr;
    QLabel* m_lblEsportato = nullptr;
    QPushButton* m_btnApriCartella = nullptr;
    QLabel* m_lblFile = nullptr;
    QTableWidget* m_grdAnteprima = nullptr;
    QCheckBox* m_chkDuplicati = nullptr;
    QComboBox* m_cboCodici = nullptr;   // MARC files: where the codes come from
    QLineEdit* m_txtPrefisso = nullptr; // MARC files: the numbered codes' prefix
    QProgressBar* m_prgAvanzamento = nullptr;
    QListWidget* m_lstProblemi = nullptr;
    QLabel* m_lblStato = nullptr;
    QList<QPushButton*> m_busyButtons;
    QPushButton* m_btnInterrompi = nullptr;
    QString m_file;
    QString m_exported;
    std::atomic<bool> m_cancel{false};
};
