#pragma once

#include "ui/shell/TForm.h"

#include <functional>

class QLabel;
class QLineEdit;

// What the lending desk and the stocktake share: a dialog of the main
// menu with the list screens' banner (title, picture, help topic), a large
// code field that a scanner types into, and a line of messages that says
// what happened without stopping the next scan.
class DeskForm : public TForm {
    Q_OBJECT
public:
    struct Look {
        QString objectName; // "TfrmBancoPrestiti"
        QString title;      // "Banco prestiti"
        QString picture;    // "ico_banco"
        QString helpTip;    // "Guida al banco prestiti."
        QString helpTopic;  // "banco"
    };
    DeskForm(QWidget* owner, const Look& look);

    QLineEdit* txtCodice() const { return m_txtCodice; }
    QLabel* lblMessaggio() const { return m_lblMessaggio; }

protected:
    QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, QRect at, const QFont& font, const QString& style = {});
    // The code field and its caption at `at`; Enter calls `entered`.
    void addCodeField(QRect at, const std::function<void()>& entered);
    void addMessageLine(QRect at);
    void say(const QString& text, bool trouble);
    // `text` as it fits on `label`'s one line: whole, or its beginning up
    // to the last whole word that fits, then "…".
    static QString elided(const QString& text, const QLabel* label);

private:
    QLineEdit* m_txtCodice = nullptr;
    QLabel* m_lblMessaggio = nullptr;
};
