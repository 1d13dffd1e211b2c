#pragma once

#include "app/TForm.h"

class TfrmPassword : public TForm {
    Q_OBJECT
public:
    explicit TfrmPassword(QWidget* owner = nullptr);
};
