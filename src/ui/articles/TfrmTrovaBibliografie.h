#pragma once

#include "ui/cards/TfrmTrova.h"

// Finds the articles of the year the article card works on, among them by
// words of their text.
class TfrmTrovaBibliografie : public TfrmTrova {
    Q_OBJECT
public:
    explicit TfrmTrovaBibliografie(QWidget* owner = nullptr);
};
