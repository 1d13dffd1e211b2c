#pragma once

#include "ui/cards/TfrmStampaScheda.h"

// Prints the card on display in the DVD card screen.
class TfrmStampaDVD : public TfrmStampaScheda {
    Q_OBJECT
public:
    explicit TfrmStampaDVD(QWidget* owner = nullptr);

    static CardSheet sheet();
};
