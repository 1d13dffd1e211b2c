#pragma once

#include "ui/cards/TfrmTrova.h"

// Finds the book cards that are not cancelled.
class TfrmTrovaLibri : public TfrmTrova {
    Q_OBJECT
public:
    explicit TfrmTrovaLibri(QWidget* owner = nullptr);

    // The pictures beside the filter rows of both book searches.
    static QStringList stripIcons();
};
