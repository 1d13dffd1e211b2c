#pragma once

#include "app/TForm.h"

class TfrmGuida : public TForm {
    Q_OBJECT
public:
    explicit TfrmGuida(QWidget* owner = nullptr);
};
