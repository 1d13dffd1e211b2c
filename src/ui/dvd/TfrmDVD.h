#pragma once

#include "ui/cards/CardScreen.h"
#include "ui/cards/CollectionScreens.h"

// The DVD card: the card kit fed the DVD table. It has nothing of its own:
// no Dewey table, no date button, no key handler.
class TfrmDVD : public CardScreen {
    Q_OBJECT
public:
    explicit TfrmDVD(QWidget* owner = nullptr);

    static const CardForm& cardForm();
    // The collection with its screens, for the registry's list.
    static const CollectionScreens& screens();
};
