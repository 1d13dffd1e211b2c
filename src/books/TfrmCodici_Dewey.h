#pragma once

#include "app/TForm.h"

class TfrmCodici_Dewey : public TForm {
    Q_OBJECT
public:
    explicit TfrmCodici_Dewey(QWidget* owner = nullptr);
};
