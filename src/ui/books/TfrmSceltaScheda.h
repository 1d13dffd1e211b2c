#pragma once

#include "lookup/CatalogueRecord.h"
#include "ui/books/CatalogueDialog.h"

class QTreeWidget;

// The short list of the records a catalogue sent for one ISBN (title,
// author, publisher, year, catalogue): the user picks the one that fills
// the book card.
class TfrmSceltaScheda : public CatalogueDialog {
    Q_OBJECT
public:
    TfrmSceltaScheda(QWidget* owner, const QList<CatalogueRecord>& records);

    // The chosen record's index after an accepted run; -1 otherwise.
    int chosen() const { return m_chosen; }

    void cmdUsaClick();
    void cmdAnnullaClick();

protected:
    void okClicked() override { cmdUsaClick(); }
    void cancelClicked() override { cmdAnnullaClick(); }

private:
    QTreeWidget* m_lst = nullptr;
    int m_chosen = -1;
};
