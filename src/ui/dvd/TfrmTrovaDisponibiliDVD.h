#pragma once

#include "ui/shell/TForm.h"

class TfrmTrovaDisponibiliDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaDisponibiliDVD(QWidget* owner = nullptr);
};
