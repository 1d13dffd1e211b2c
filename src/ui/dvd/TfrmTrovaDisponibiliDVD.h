#pragma once

#include "ui/cards/TfrmTrova.h"

// Finds the DVD cards available for loan: not cancelled and without a due
// date (the borrower plays no part).
class TfrmTrovaDisponibiliDVD : public TfrmTrova {
    Q_OBJECT
public:
    explicit TfrmTrovaDisponibiliDVD(QWidget* owner = nullptr);
};
