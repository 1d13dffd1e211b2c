#pragma once

#include "app/TForm.h"

class TfrmExpLibri : public TForm {
    Q_OBJECT
public:
    explicit TfrmExpLibri(QWidget* owner = nullptr);
};
