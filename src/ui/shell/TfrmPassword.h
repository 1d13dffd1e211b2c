#pragma once

#include "ui/shell/TForm.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// The login screen, the main window and the first screen shown: only the
// right password leads on to the main menu.
class TfrmPassword : public TForm {
    Q_OBJECT
public:
    explicit TfrmPassword(QWidget* owner = nullptr);

    // The stored password, read from the password file and unscrambled
    // through the scratch label `lblMemory`, then trimmed; empty when the
    // file, its section or its key is missing; nothing when the stored value
    // is not hexadecimal text.
    static std::optional<QString> readStoredPassword(QLabel* lblMemory);
    // A typed password as it is compared and stored: a-z upper-cased, then trimmed.
    static QString typedForm(const QString& typed);

    void txtPasswordChange();
    void txtPasswordKeyDown();
    void cmdOKClick();
    void btnCambiaPasswordClick();
    void cmdEsciClick();

protected:
    void formShow() override;
    void formClose() override;

private:
    QLineEdit* m_txtPassword = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QLabel* m_lblMemory = nullptr;
};
