#pragma once

#include "ui/shell/TForm.h"

class TfrmDVD : public TForm {
    Q_OBJECT
public:
    explicit TfrmDVD(QWidget* owner = nullptr);

protected:
    // Until its content is built, closing goes back to the main menu.
    void formClose() override;
};
