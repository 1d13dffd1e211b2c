#include "TfrmCambiaPassword.h"

#include "core/access/Crypt.h"
#include "ui/shell/Msg.h"
#include "core/access/PasswordFile.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/shell/TfrmPassword.h"
#include "ui/shell/FailureLog.h"
#include "core/storage/Cp1252.h"
#include "core/text/Text.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

namespace {

const QString kChangeFailed = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica della password. "
                                             "Si consiglia di reinstallare il software.");

} // namespace

TfrmCambiaPassword::TfrmCambiaPassword(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Cambia password"), {411, 418})
{
    setObjectName(QStringLiteral("TfrmCambiaPassword"));
    setBackgroundGradient(QColor(0xEE, 0xF4, 0xFB), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    auto* band = new QFrame(pan);
    band->setObjectName(QStringLiteral("shpTestata"));
    band->setGeometry(0, 0, 411, 96);
    band->setStyleSheet(QStringLiteral("#shpTestata { background: white; border-bottom: 2px solid #C9A227; }"));
    new Picture(QStringLiteral("imgLogo"), QStringLiteral("lucchetto"), band, {20, 10, 74, 74}, false);
    auto* heading = new QLabel(QStringLiteral("Cambia password"), band);
    heading->setObjectName(QStringLiteral("lblTitolo"));
    heading->setGeometry(110, 22, 280, 30);
    heading->setStyleSheet(QStringLiteral("color: #1F4E8C; font-family: Georgia; font-weight: bold; font-size: 16pt;"));
    auto* line = new QFrame(band);
    line->setGeometry(110, 56, 220, 2);
    line->setStyleSheet(
        QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #C9A227, stop:1 #FFFFFF); border: none;"));

    auto* panel = Controls::panel(pan, QStringLiteral("shpPannello"), {24, 114, 363, 226}, 10);
    m_txtPasswordOld = addField(panel, QStringLiteral("PasswordOld"), QStringLiteral("Vecchia password:"), 14);
    m_txtPasswordNew = addField(panel, QStringLiteral("PasswordNew"), QStringLiteral("Nuova password:"), 84);
    m_txtConferma = addField(panel, QStringLiteral("Conferma"), QStringLiteral("Conferma nuova password:"), 154);

    m_lblMemory = new QLabel(pan);
    m_lblMemory->setObjectName(QStringLiteral("lblMemory"));
    m_lblMemory->hide();

    auto* esci = new QPushButton(QStringLiteral("Chiudi"), pan);
    esci->setObjectName(QStringLiteral("cmdEsci"));
    esci->setGeometry(24, 366, 100, 30);
    connect(esci, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdEsciClick);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), pan);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(287, 366, 100, 30);
    m_cmdOK->setEnabled(false);
    connect(m_cmdOK, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdOKClick);

    createFocusHighlights();
    // Enter in the last field goes round again; it never presses OK.
    setEnterChain({{m_txtPasswordOld, m_txtPasswordNew}, {m_txtPasswordNew, m_txtConferma}, {m_txtConferma, m_txtPasswordOld}});
}

QLineEdit* TfrmCambiaPassword::addField(QWidget* parent, const QString& name, const QString& caption, int top)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("lbl") + name);
    label->setGeometry(20, top, 323, 20);
    label->setStyleSheet(QStringLiteral("color: #1F4E8C; font-weight: bold;"));
    auto* field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("txt") + name);
    field->setGeometry(20, top + 24, 323, 28);
    field->setEchoMode(QLineEdit::Password);
    connect(field, &QLineEdit::textChanged, this, &TfrmCambiaPassword::txtChange);
    return field;
}

QString TfrmCambiaPassword::unstorableReason(const QString& password)
{
    if (password.size() > Crypt::kMaxLength)
        return QStringLiteral("Attenzione: la nuova password non può superare i 255 caratteri. "
                              "E' necessario reinserire entrambi i valori.");
    for (qsizetype i = 0; i < password.size(); ++i) {
        const char16_t ch = password[i].unicode();
        if (ch != 0 && Cp1252::byteFor(ch) == 0) {
            const qsizetype len = (QChar::isHighSurrogate(ch) && i + 1 < password.size()) ? 2 : 1;
            return QStringLiteral("Attenzione: la nuova password contiene il carattere «%1», che non può essere "
                                  "memorizzato. E' necessario reinserire entrambi i valori.")
                .arg(password.mid(i, len));
        }
    }
    return QString();
}

void TfrmCambiaPassword::formShow()
{
    m_txtPasswordOld->clear();
    m_txtPasswordNew->clear();
    m_txtConferma->clear();
    m_lblMemory->clear();
    m_txtPasswordOld->setFocus(Qt::OtherFocusReason);
}

void TfrmCambiaPassword::txtChange()
{
    m_cmdOK->setEnabled(!Text::trimmed(m_txtPasswordOld->text()).isEmpty() && !Text::trimmed(m_txtPasswordNew->text()).isEmpty()
        && !Text::trimmed(m_txtConferma->text()).isEmpty());
}

void TfrmCambiaPassword::refuseNew(const QString& message)
{
    Msg::plain(this, message);
    m_txtPasswordNew->clear();
    m_txtConferma->clear();
    m_txtPasswordNew->setFocus(Qt::OtherFocusReason);
}

void TfrmCambiaPassword::cmdOKClick()
{
    bool written = false;
    try {
        const std::optional<QString> stored = TfrmPassword::readStoredPassword(m_lblMemory);
        if (stored) {
            if (TfrmPassword::typedForm(m_txtPasswordOld->text()) != *stored) {
                Msg::plain(this, QStringLiteral("Attenzione: vecchia password errata."));
                m_txtPasswordOld->clear();
                m_txtPasswordOld->setFocus(Qt::OtherFocusReason);
                return;
            }
            // Letter case matters here: both entries must be typed alike.
            if (Text::trimmed(m_txtPasswordNew->text()) != Text::trimmed(m_txtConferma->text())) {
                refuseNew(QStringLiteral("Attenzione: la nuova password non è stata confermata correttamente. "
                                         "E' necessario reinserire entrambi i valori."));
                return;
            }
            const QString password = TfrmPassword::typedForm(m_txtPasswordNew->text());
            if (const QString reason = unstorableReason(password); !reason.isEmpty()) {
                refuseNew(reason);
                return;
            }
            written = PasswordFile::writeStored(Text::trimmed(Crypt::Cripta(password)));
        }
    } catch (...) {
        FailureLog::spared("TfrmCambiaPassword::cmdOKClick");
        written = false;
    }
    if (!written) {
        // The fields stay as typed; the old password is still the valid one.
        Msg::plain(this, kChangeFailed);
        return;
    }
    Msg::plain(this, QStringLiteral("Modifica della password completata con successo."));
    close();
}

void TfrmCambiaPassword::cmdEsciClick()
{
    close();
}

void TfrmCambiaPassword::formClose()
{
    auto* login = qobject_cast<TfrmPassword*>(Screens::role(Screens::Role::Login));
    if (!login)
        return;
    auto* field = login->control<QLineEdit>(QStringLiteral("txtPassword"));
    if (field)
        field->clear();
    if (auto* memory = login->control<QLabel>(QStringLiteral("lblMemory")))
        memory->clear();
    login->showScreen();
    if (field)
        field->setFocus(Qt::OtherFocusReason);
}
