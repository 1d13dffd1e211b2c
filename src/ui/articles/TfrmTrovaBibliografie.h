#pragma once

#include "ui/shell/TForm.h"

class TfrmTrovaBibliografie : public TForm {
    Q_OBJECT
public:
    explicit TfrmTrovaBibliografie(QWidget* owner = nullptr);
};
