#pragma once

#include "lookup/CatalogueRecord.h"
#include "ui/shell/TForm.h"

class QTreeWidget;

// The short list of the records a catalogue sent for one ISBN (title,
// author, publisher, year, catalogue): the user picks the one that fills
// the book card.
class TfrmSceltaScheda : public TForm {
    Q_OBJECT
public:
    TfrmSceltaScheda(QWidget* owner, const QList<CatalogueRecord>& records);

    // The chosen record's index after an accepted run; -1 otherwise.
    int chosen() const { return m_chosen; }

    void cmdUsaClick();
    void cmdAnnullaClick();

private:
    QTreeWidget* m_lst = nullptr;
    int m_chosen = -1;
};
