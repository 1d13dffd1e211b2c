#pragma once

#include "ui/cards/CardScreen.h"
#include "ui/cards/CollectionScreens.h"

class CatalogueFill;

// The book card: the card kit fed the book table, plus what only the book
// card has: the Dewey table button, today's date for the loan and the ISBN
// written in capitals as it is typed, and the card filled from library
// catalogues by its ISBN.
class TfrmLibri : public CardScreen {
    Q_OBJECT
public:
    explicit TfrmLibri(QWidget* owner = nullptr);

    static const CardForm& cardForm();
    // The collection with its screens, for the registry's list.
    static const CollectionScreens& screens();

    void btnDeweyClick();
    void btnCatalogoClick();
    CatalogueFill* catalogueFill() const { return m_catalogue; }
    void btnScadenzaClick();
    void txtIsbnKeyUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Set when the user has changed the ISBN since its last key release: a
    // key released after Enter or Tab brought the focus here changed
    // nothing, and leaves a stored value as it is.
    bool m_isbnEdited = false;
    CatalogueFill* m_catalogue = nullptr;
};
