#pragma once

#include "app/TForm.h"

class TfrmExpDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmExpDVD(QWidget* owner = nullptr);
};
