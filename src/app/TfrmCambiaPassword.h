#pragma once

#include "app/TForm.h"

class TfrmCambiaPassword : public TForm {
    Q_OBJECT
public:
    explicit TfrmCambiaPassword(QWidget* owner = nullptr);
};
