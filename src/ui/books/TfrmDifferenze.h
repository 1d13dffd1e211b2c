#pragma once

#include "ui/books/CatalogueDialog.h"

class QTableWidget;

// The fields where the card already holds a text and the catalogue's record
// says otherwise: each shown with both values, the card's kept unless the
// user ticks the catalogue's.
class TfrmDifferenze : public CatalogueDialog {
    Q_OBJECT
public:
    struct Difference {
        QString caption; // the card's caption, without its colon
        QString typed;
        QString found;
    };

    TfrmDifferenze(QWidget* owner, const QString& catalogue, const QList<Difference>& differences);

    // After an accepted run: for each difference, whether the catalogue's
    // value replaces the typed one.
    QList<bool> replaced() const;
    void setReplaced(int row, bool replace); // as a tick in the list

    void cmdApplicaClick() { accept(); }
    void cmdAnnullaClick() { reject(); }

protected:
    void okClicked() override { cmdApplicaClick(); }
    void cancelClicked() override { cmdAnnullaClick(); }

private:
    QTableWidget* m_grd = nullptr;
};
