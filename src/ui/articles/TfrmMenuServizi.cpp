#include "TfrmMenuServizi.h"

#include "core/collections/Articles.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"
#include "core/text/HelpText.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/shell/TfrmGuida.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool isEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// The year names a file in the program folder: digits only, so that no
// pasted text can lead out of it.
bool isYear(const QString& year)
{
    if (year.isEmpty())
        return false;
    for (const QChar ch : year) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

TfrmMenuServizi::TfrmMenuServizi(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Articoli Giornalistici"))
{
    setObjectName(QStringLiteral("TfrmMenuServizi"));
    setBackgroundGradient(QColor(0x1F, 0x4E, 0x8C), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    Controls::menuPanel(pan);

    new Picture(QStringLiteral("icoLogo01"), QStringLiteral("articoli_logo"), pan, {190, 24, 96, 96}, false);
    new Picture(QStringLiteral("icoTitolo"), QStringLiteral("articoli_titolo"), pan, {300, 30, 560, 84}, false);

    Controls::menuStrip(pan, QStringLiteral("lblInfo"),
        QStringLiteral("In questo ambiente è possibile catalogare gli articoli giornalistici in schedari annuali."), {97, 138, 800, 32});

    new Picture(QStringLiteral("icoLogo03"), QStringLiteral("articoli_illustrazione"), pan, {70, 200, 380, 380}, false);

    auto* pannello = Controls::panel(pan, QStringLiteral("shpPannello"), {520, 300, 400, 170}, 10);

    auto* band = new QLabel(QStringLiteral("Schedario articoli giornalistici:"), pannello);
    band->setObjectName(QStringLiteral("intAnnoPreventivi"));
    band->setGeometry(1, 1, 398, 40);
    band->setIndent(18);
    band->setStyleSheet(QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1F4E8C, stop:1 #2E74C9);"
                                       " color: white; font-weight: bold; font-size: 10pt; border-top-left-radius: 9px;"
                                       " border-top-right-radius: 9px; border-bottom: 2px solid #C9A227;"));

    auto* anno = new QLabel(QStringLiteral("Anno:"), pannello);
    anno->setObjectName(QStringLiteral("titAnnoPreventivi"));
    anno->setGeometry(30, 86, 70, 36);
    anno->setFont(Controls::verdana(12, true));
    anno->setStyleSheet(QStringLiteral("color: #1F4E8C;"));

    m_txtAnnoPreventivi = new QLineEdit(pannello);
    m_txtAnnoPreventivi->setObjectName(QStringLiteral("txtAnnoPreventivi"));
    m_txtAnnoPreventivi->setGeometry(110, 84, 120, 40);
    m_txtAnnoPreventivi->setFont(Controls::verdana(16, true));
    m_txtAnnoPreventivi->setAlignment(Qt::AlignCenter);
    m_txtAnnoPreventivi->setMaxLength(4);
    m_txtAnnoPreventivi->installEventFilter(this);

    m_btnApriPreventivi = Controls::button(
        pannello, QStringLiteral("btnApriPreventivi"), QStringLiteral("Apri"), {250, 84, 120, 40}, Controls::verdana(11, true));
    connect(m_btnApriPreventivi, &QPushButton::clicked, this, &TfrmMenuServizi::btnApriPreventiviClick);

    struct Command {
        const char* name;
        const char* svg;
        const char* caption;
        int x;
        void (TfrmMenuServizi::*handler)();
    };
    const Command commands[] = {
        {"imgGuida", "ico_guida", "Guida", 24, &TfrmMenuServizi::imgGuidaClick},
        {"imgEsci", "ico_esci", "Esci", 923, &TfrmMenuServizi::imgEsciClick},
    };
    for (const Command& c : commands) {
        auto* p = new Picture(QLatin1String(c.name), QLatin1String(c.svg), pan, {c.x, 610, 48, 48}, true);
        connect(p, &Picture::clicked, this, c.handler);
        auto* caption = new QLabel(QLatin1String(c.caption), pan);
        caption->setObjectName(QStringLiteral("lbl") + QLatin1String(c.name).mid(3));
        caption->setGeometry(c.x - 16, 660, 80, 18);
        caption->setAlignment(Qt::AlignCenter);
        caption->setStyleSheet(QStringLiteral("color: #1F4E8C; font-weight: bold;"));
    }

    auto* memory = new QLabel(pan);
    memory->setObjectName(QStringLiteral("lblMemory"));
    memory->hide();
}

void TfrmMenuServizi::formShow()
{
    m_txtAnnoPreventivi->setText(QString::asprintf("%04d", Clock::today().year()));
    setCallerTag(QStringLiteral("avvio"));
    m_txtAnnoPreventivi->setFocus(Qt::OtherFocusReason);
    // Selected, so that typing a year replaces the one shown.
    m_txtAnnoPreventivi->selectAll();
}

bool TfrmMenuServizi::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (watched == m_txtAnnoPreventivi)
            return !txtAnnoPreventiviKeyDown(key);
    }
    return TForm::eventFilter(watched, event);
}

bool TfrmMenuServizi::txtAnnoPreventiviKeyDown(const QKeyEvent& key)
{
    if (isEnter(key)) {
        m_btnApriPreventivi->setFocus(Qt::OtherFocusReason);
        return false;
    }
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        break;
    }
    const QString text = key.text();
    return text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
}

CardScreen* TfrmMenuServizi::articleCard()
{
    return cardScreenFor(Text::utf8(Articles::collection().callerTag));
}

void TfrmMenuServizi::btnApriPreventiviClick()
{
    const QString year = Text::trimmed(m_txtAnnoPreventivi->text());
    // Exactly four digits once trimmed: " 201" would name the year 201.
    if (year.size() != 4 || !isYear(year)) {
        Msg::warning(this, QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre."));
        m_txtAnnoPreventivi->setFocus(Qt::OtherFocusReason);
        return;
    }
    CardScreen* card = articleCard();
    if (!card)
        return;
    if (auto* lblFile = card->control<QLabel>(QStringLiteral("lblFile")))
        lblFile->setText(ProgramFolder::file(Articles::collection().archiveName(year)));
    card->setWindowTitle(QStringLiteral(" Tomaria - Articoli giornalistici anno ") + year);
    setCallerTag(QStringLiteral("servizi"));
    close();
}

void TfrmMenuServizi::imgGuidaClick()
{
    const HelpTopic& help = Articles::collection().cardHelp;
    TfrmGuida::showTopic(this, Text::utf8(help.title), HelpText::topic(Text::utf8(help.topic)));
}

void TfrmMenuServizi::imgEsciClick()
{
    close();
}

void TfrmMenuServizi::formClose()
{
    const QString tag = callerTag();
    if (tag == QLatin1String("avvio"))
        handOver(Screens::role(Screens::Role::MainMenu));
    else if (tag == QLatin1String("servizi"))
        handOver(articleCard());
}
