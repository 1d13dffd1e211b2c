#pragma once

#include "ui/cards/TfrmStampaScheda.h"

// Prints the card on display in the book card screen.
class TfrmStampaLibro : public TfrmStampaScheda {
    Q_OBJECT
public:
    explicit TfrmStampaLibro(QWidget* owner = nullptr);

    static CardSheet sheet();
};
