#pragma once

#include "ui/cards/TfrmTrova.h"

// Finds the book cards available for loan: not cancelled, no borrower and
// no loan date.
class TfrmTrovaDisponibili : public TfrmTrova {
    Q_OBJECT
public:
    explicit TfrmTrovaDisponibili(QWidget* owner = nullptr);
};
