#pragma once

#include "app/TForm.h"

class TfrmAllegaCartella : public TForm {
    Q_OBJECT
public:
    explicit TfrmAllegaCartella(QWidget* owner = nullptr);
};
