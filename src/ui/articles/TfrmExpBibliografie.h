#pragma once

#include "ui/shell/TForm.h"

class TfrmExpBibliografie : public TForm {
    Q_OBJECT
public:
    explicit TfrmExpBibliografie(QWidget* owner = nullptr);
};
