#pragma once

#include "ui/shell/TForm.h"

class TfrmStampaDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmStampaDVD(QWidget* owner = nullptr);
};
