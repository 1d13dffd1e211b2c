#pragma once

#include "ui/shell/TForm.h"

class TfrmTrovaDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaDVD(QWidget* owner = nullptr);
};
