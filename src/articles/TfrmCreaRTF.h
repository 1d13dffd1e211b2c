#pragma once

#include "app/TForm.h"

class TfrmCreaRTF : public TForm {
    Q_OBJECT
public:
    explicit TfrmCreaRTF(QWidget* owner = nullptr);
};
