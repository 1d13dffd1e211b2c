#pragma once

#include "app/TForm.h"

class TfrmInfo : public TForm {
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget* owner = nullptr);
};
