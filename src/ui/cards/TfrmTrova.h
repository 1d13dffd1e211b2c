#pragma once

#include "ui/shell/TForm.h"

#include <QStringList>

#include <vector>

class CardScreen;
class LineList;
class QLabel;
class QLineEdit;
class QPushButton;
struct SearchTable;

// The search screen of every collection: the filter panel `panAvvio` with
// ten filters, the result panel `panContainer` with the sorted list, quick
// find, double-click hand-back into the card screen and list printing. A
// collection's screens only pass their table, their archive, their card
// screen and where the last quick-find text of their class lives.
class TfrmTrova : public TForm {
    Q_OBJECT
public:
    const SearchTable& table() const { return m_table; }
    LineList* lstRecords() const { return m_lstRecords; }

    void btnCercaMouseDown();
    void btnCercaClick();
    void btnAnnullaClick() { close(); }
    void btnChiudiClick() { close(); }
    void btnTrovaClick();
    void lstRecordsDblClick();
    void btnStampaClick();

    // The archive the screen searches: the one of the card screen that
    // answers to the table's caller tag.
    virtual QString archivePath() const;
    // The card screen a double-click fills.
    CardScreen* cardScreen() const;

protected:
    // `stripIcons` are the five pictures beside the filter rows.
    TfrmTrova(QWidget* owner, const SearchTable& table, const QStringList& stripIcons);

    void formShow() override;
    void formClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFilterPanel(const QStringList& stripIcons);
    void buildResultPanel();
    QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, QPoint at, const QString& colour = {});

    const SearchTable& m_table;
    QWidget* m_panAvvio = nullptr;
    std::vector<QLineEdit*> m_filters;
    QLineEdit* m_txtTrova = nullptr;
    QPushButton* m_btnCerca = nullptr;
    QPushButton* m_btnTrova = nullptr;
    QLabel* m_lblAttendere = nullptr;
    QLabel* m_lblConta = nullptr;
    QLabel* m_lblTrovate = nullptr;
    LineList* m_lstRecords = nullptr;
};
