#include "TfrmPassword.h"

#include "core/access/Crypt.h"
#include "ui/shell/Msg.h"
#include "core/access/PasswordFile.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/shell/TfrmCambiaPassword.h"
#include "ui/shell/FailureLog.h"
#include "core/text/Text.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmPassword::TfrmPassword(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Tomaria - Accedi"), {388, 405})
{
    setObjectName(QStringLiteral("TfrmPassword"));
    setBackgroundGradient(QColor(0xEE, 0xF4, 0xFB), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    auto* band = new QFrame(pan);
    band->setObjectName(QStringLiteral("shpTestata"));
    band->setGeometry(0, 0, 388, 160);
    band->setStyleSheet(QStringLiteral("#shpTestata { background: white; border-bottom: 2px solid #C9A227; }"));
    new Picture(QStringLiteral("imgLogo"), QStringLiteral("lucchetto"), band, {146, 10, 96, 96}, false);
    // The title's drawing takes the left 446 of its 560 units: shifted so
    // that the drawing, not the picture, is centred.
    new Picture(QStringLiteral("icoTitolo"), QStringLiteral("title"), band, {107, 110, 220, 38}, false);

    auto* panel = Controls::panel(pan, QStringLiteral("shpPannello"), {24, 186, 340, 108}, 10);
    auto* prompt = new QLabel(QStringLiteral("Immetti la password e premi OK."), panel);
    prompt->setObjectName(QStringLiteral("lblIstruzioni"));
    prompt->setGeometry(20, 20, 300, 20);
    prompt->setStyleSheet(QStringLiteral("color: #1F4E8C; font-weight: bold;"));

    m_txtPassword = new QLineEdit(panel);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setGeometry(20, 56, 204, 28);
    m_txtPassword->setEchoMode(QLineEdit::Password);
    connect(m_txtPassword, &QLineEdit::textChanged, this, &TfrmPassword::txtPasswordChange);
    connect(m_txtPassword, &QLineEdit::returnPressed, this, &TfrmPassword::txtPasswordKeyDown);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), panel);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(236, 55, 84, 30);
    m_cmdOK->setEnabled(false);
    connect(m_cmdOK, &QPushButton::clicked, this, &TfrmPassword::cmdOKClick);

    m_lblMemory = new QLabel(pan);
    m_lblMemory->setObjectName(QStringLiteral("lblMemory"));
    m_lblMemory->hide();

    auto* rule = new QFrame(pan);
    rule->setObjectName(QStringLiteral("shpLinea"));
    rule->setGeometry(24, 330, 340, 1);
    rule->setStyleSheet(QStringLiteral("background: #9DB9DA; border: none;"));

    auto* esci = new QPushButton(QStringLiteral("Esci"), pan);
    esci->setObjectName(QStringLiteral("cmdEsci"));
    esci->setGeometry(24, 350, 100, 30);
    connect(esci, &QPushButton::clicked, this, &TfrmPassword::cmdEsciClick);

    auto* cambia = new QPushButton(QStringLiteral("Cambia password"), pan);
    cambia->setObjectName(QStringLiteral("btnCambiaPassword"));
    cambia->setGeometry(224, 350, 140, 30);
    connect(cambia, &QPushButton::clicked, this, &TfrmPassword::btnCambiaPasswordClick);

    createFocusHighlights();
}

std::optional<QString> TfrmPassword::readStoredPassword(QLabel* lblMemory)
{
    const std::optional<QString> stored = PasswordFile::readStored();
    if (!stored)
        return std::nullopt;
    lblMemory->setText(*stored);
    const std::optional<QString> plain = Crypt::Decripta(lblMemory->text());
    if (!plain)
        return std::nullopt;
    lblMemory->setText(*plain);
    return Text::trimmed(lblMemory->text());
}

QString TfrmPassword::typedForm(const QString& typed)
{
    return Text::trimmed(Text::upperAZ(typed));
}

void TfrmPassword::formShow()
{
    m_txtPassword->setFocus(Qt::OtherFocusReason);
}

void TfrmPassword::txtPasswordChange()
{
    m_cmdOK->setEnabled(!Text::trimmed(m_txtPassword->text()).isEmpty());
}

void TfrmPassword::txtPasswordKeyDown()
{
    if (!Text::trimmed(m_txtPassword->text()).isEmpty())
        cmdOKClick();
}

void TfrmPassword::cmdOKClick()
{
    std::optional<QString> stored;
    try {
        stored = readStoredPassword(m_lblMemory);
    } catch (...) {
        FailureLog::spared("TfrmPassword::cmdOKClick");
        stored.reset();
    }
    if (!stored) {
        Msg::plain(this,
            QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura della password. "
                           "Si consiglia di reinstallare il software."));
        return;
    }
    if (typedForm(m_txtPassword->text()) != *stored) {
        Msg::plain(this, QStringLiteral("Attenzione: password errata."));
        m_txtPassword->clear();
        m_txtPassword->setFocus(Qt::OtherFocusReason);
        return;
    }
    handOver(Screens::role(Screens::Role::MainMenu));
}

void TfrmPassword::btnCambiaPasswordClick()
{
    handOver(Screens::role(Screens::Role::ChangePassword));
}

void TfrmPassword::cmdEsciClick()
{
    close();
}

void TfrmPassword::formClose()
{
    // The main window: closing it ends the program.
    Screens::endApplication();
}
