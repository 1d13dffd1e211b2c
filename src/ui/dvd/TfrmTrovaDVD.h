#pragma once

#include "ui/cards/TfrmTrova.h"

// Finds the DVD cards that are not cancelled.
class TfrmTrovaDVD : public TfrmTrova {
    Q_OBJECT
public:
    explicit TfrmTrovaDVD(QWidget* owner = nullptr);

    // The pictures beside the filter rows of both DVD searches.
    static QStringList stripIcons();
};
