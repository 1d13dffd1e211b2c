#pragma once

#include "app/TForm.h"

class TfrmTrovaDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaDVD(QWidget* owner = nullptr);
};
