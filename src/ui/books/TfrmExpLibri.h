#pragma once

#include "ui/cards/TfrmEsporta.h"

// The export of the book archive to "Libri.xls".
class TfrmExpLibri : public TfrmEsporta {
    Q_OBJECT
public:
    explicit TfrmExpLibri(QWidget* owner = nullptr);
};
