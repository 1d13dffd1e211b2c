#pragma once

#include "app/TForm.h"

class TfrmStampaLibro : public TForm {
    Q_OBJECT
public:
    explicit TfrmStampaLibro(QWidget* owner = nullptr);
};
