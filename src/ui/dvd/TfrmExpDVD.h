#pragma once

#include "ui/cards/TfrmEsporta.h"

// The export of the DVD archive to "DVD.xls".
class TfrmExpDVD : public TfrmEsporta {
    Q_OBJECT
public:
    explicit TfrmExpDVD(QWidget* owner = nullptr);
};
