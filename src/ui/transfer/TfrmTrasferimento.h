#pragma once

#include <memory>

class CardRowSource;

#include "core/import/CardImport.h"
#include "ui/shell/TForm.h"

#include <QFile>
#include <QSemaphore>

#include <atomic>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;
struct Collection;

// "Importa ed esporta": a collection's complete catalogue out to a file
// (.xlsx, whose cells are all text, or CSV) and cards in from one, for the
// librarian who never opens a terminal. The import shows the first rows
// under the field each column fills, checks every row before writing
// (Controlla), asks, then writes every card or none with a progress bar
// and an "Interrompi" that leaves the archive as it was. The check and the
// import run on a thread the screen owns; closing the screen meanwhile
// asks, interrupts the run and says how it ended. Opened from the
// "Strumenti" list, created afresh for each use.
class TfrmTrasferimento : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrasferimento(QWidget* owner = nullptr);
    ~TfrmTrasferimento() override;

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
    // Whether a check or an import is running.
    bool running() const { return m_worker != nullptr; }

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
    // A check or an import has ended and the screen shows how.
    void runFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void preview();
    // Starts the check or the import of the chosen file on the screen's
    // worker; false when it did not start.
    bool runImport(bool checkOnly);
    // On the screen's thread, once the worker has ended.
    void finishRun();
    // The rows the preview has room for under its header.
    int previewRows() const;
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
    QList<QWidget*> m_busyOptions;
    QPushButton* m_btnControlla = nullptr;
    QPushButton* m_btnImporta = nullptr;
    QPushButton* m_btnInterrompi = nullptr;
    QString m_file;
    QString m_exported;
    bool m_imported = false; // the chosen file's cards are in the archive: Importa waits for another file

    // The run in progress: the worker and what it works on.
    QThread* m_worker = nullptr;
    std::unique_ptr<CardRowSource> m_marc; // outlives m_cards, which reads through it
    std::unique_ptr<CardImport> m_cards;
    QFile m_source;
    CardImport::Options m_options;
    CardImport::Outcome m_outcome;
    bool m_checkOnly = false;
    bool m_closeWhenDone = false;
    std::atomic<bool> m_cancel{false};
    // Each step of progress, once the screen has shown it; the screen's
    // going lets the run on without waiting.
    QSemaphore m_progressShown;
    std::atomic<bool> m_abandoned{false};
};
