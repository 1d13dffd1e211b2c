#pragma once

#include "ui/shell/TForm.h"

class TfrmExpDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmExpDVD(QWidget* owner = nullptr);
};
