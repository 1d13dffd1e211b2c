#pragma once

#include "app/TForm.h"

class TfrmTrovaDisponibiliDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaDisponibiliDVD(QWidget* owner = nullptr);
};
