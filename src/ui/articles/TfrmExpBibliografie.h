#pragma once

#include "ui/cards/TfrmEsporta.h"

// The export of the year the article card works on to "Articoli.xls".
class TfrmExpBibliografie : public TfrmEsporta {
    Q_OBJECT
public:
    explicit TfrmExpBibliografie(QWidget* owner = nullptr);
};
