#pragma once

#include "app/TForm.h"

class TfrmTrovaDisponibili : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaDisponibili(QWidget* owner = nullptr);
};
