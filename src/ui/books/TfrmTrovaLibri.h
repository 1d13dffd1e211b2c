#pragma once

#include "ui/cards/TfrmTrova.h"

// Finds the book cards that are not cancelled.
class TfrmTrovaLibri : public TfrmTrova {
    Q_OBJECT
public:
    explicit TfrmTrovaLibri(QWidget* owner = nullptr);

    QString archivePath() const override;
    QWidget* cardScreen() const override;

    // The pictures beside the filter rows of both book searches.
    static QStringList stripIcons();
};
