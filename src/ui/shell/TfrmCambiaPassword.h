#pragma once

#include "ui/shell/TForm.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The change-password screen: checks the old password and a repeated entry
// of the new one, stores the new one and always returns to the login screen.
class TfrmCambiaPassword : public TForm {
    Q_OBJECT
public:
    explicit TfrmCambiaPassword(QWidget* owner = nullptr);

    // Why a new password (as stored: upper-cased, trimmed) cannot be kept
    // faithfully one byte per character; empty when it can.
    static QString unstorableReason(const QString& password);

    void txtChange();
    void cmdOKClick();
    void cmdEsciClick();

protected:
    void formShow() override;
    void formClose() override;

private:
    QLineEdit* addField(QWidget* parent, const QString& name, const QString& caption, int top);
    void refuseNew(const QString& message);

    QLineEdit* m_txtPasswordOld = nullptr;
    QLineEdit* m_txtPasswordNew = nullptr;
    QLineEdit* m_txtConferma = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QLabel* m_lblMemory = nullptr;
};
