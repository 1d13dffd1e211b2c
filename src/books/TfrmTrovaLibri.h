#pragma once

#include "app/TForm.h"

class TfrmTrovaLibri : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaLibri(QWidget* owner = nullptr);
};
