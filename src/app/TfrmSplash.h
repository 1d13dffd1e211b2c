#pragma once

#include "app/TForm.h"

class TfrmSplash : public TForm {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* owner = nullptr);
};
