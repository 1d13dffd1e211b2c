#pragma once

#include "core/loans/LoanList.h"
#include "ui/shell/TForm.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

class LineList;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

// Every book and DVD on loan, oldest first, with the late ones marked; a
// double-click opens the card on its card screen, Stampa prints the list.
// A dialog window of the main menu, beside the screens of the registry:
// the main menu creates it afresh for each use.
class TfrmPrestiti : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrestiti(QWidget* owner = nullptr);

    // The card a double-click chose, read from its archive.
    struct Choice {
        const Collection* collection;
        qint64 index; // 0-based
        QByteArray record;
    };
    const std::optional<Choice>& choice() const { return m_choice; }

    LineList* lstPrestiti() const { return m_lstPrestiti; }
    QSpinBox* txtGiorni() const { return m_txtGiorni; }

    void txtGiorniChange();
    void lstPrestitiDblClick();
    void btnStampaClick();
    // The readers instead of the list, and back: one line per reader (names
    // folded as the searches fold), their items under it.
    void btnLettoriClick();
    void lstLettoriDblClick(QTreeWidgetItem* item);
    // One reminder letter per reader with overdue items, through the print dialog.
    void btnSollecitiClick();
    QTreeWidget* lstLettori() const { return m_lstLettori; }
    void btnChiudiClick() { close(); }

    // Opens a fresh loans screen over `menu`; after a double-click, hands
    // over from `menu` to the chosen card's card screen showing that card.
    static void open(TForm* menu);

    static inline const QString kPrintTitle = QStringLiteral("Prestiti in corso");

    // The lines Stampa prints: the list fitted to the page, which is wider
    // than the screen's, then kPrintFooterLines lines: a blank, what "!"
    // means, the days and the total. While the readers are shown: each
    // reader's line and their items, then what "!" means and the total.
    static constexpr int kPrintFooterLines = 4;
    QStringList printLines() const;

protected:
    void formShow() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refill();
    void fillReaders();
    // Reads the loan's card again and closes the screen with it chosen.
    void choose(const Loan& loan);
    // How many characters of the list's font a line shows without scrolling.
    int listChars() const;
    // The list's width inside its frame and scroll bar, in pixels.
    int lineRoom() const;

    LoanList m_loans;
    int m_storedDays;
    bool m_saveFailed = false;
    std::optional<Choice> m_choice;
    QSpinBox* m_txtGiorni = nullptr;
    LineList* m_lstPrestiti = nullptr;
    QLabel* m_lblTrovate = nullptr;
    QTreeWidget* m_lstLettori = nullptr;
    QPushButton* m_btnLettori = nullptr;
};
