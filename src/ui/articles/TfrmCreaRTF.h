#pragma once

#include "ui/shell/TForm.h"

class TfrmCreaRTF : public TForm {
    Q_OBJECT
public:
    explicit TfrmCreaRTF(QWidget* owner = nullptr);
};
