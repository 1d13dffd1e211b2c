#include "TfrmGuida.h"

#include "ui/shell/Picture.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TextLink.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/HelpText.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TfrmGuida::TfrmGuida(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Guida all'utilizzo del software"), kClientSize)
{
    setObjectName(QStringLiteral("TfrmGuida"));
    setBackgroundGradient(QColor(0xEE, 0xF4, 0xFB), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    auto* band = new QFrame(pan);
    band->setObjectName(QStringLiteral("shpTestata"));
    band->setGeometry(0, 0, kClientSize.width(), 82);
    band->setStyleSheet(QStringLiteral("#shpTestata { background: white; border-bottom: 2px solid #C9A227; }"));
    new Picture(QStringLiteral("imgLogo"), QStringLiteral("guida_testata"), band, {14, 6, 640, 70}, false);

    m_lblTitolo = new QLabel(QStringLiteral("Argomento della guida."), pan);
    m_lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    m_lblTitolo->setGeometry(20, 94, 630, 26);
    QFont titleFont = m_lblTitolo->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    m_lblTitolo->setFont(titleFont);
    m_lblTitolo->setStyleSheet(QStringLiteral("color: #DC143C;"));

    m_txtGuida = new QPlainTextEdit(pan);
    m_txtGuida->setObjectName(QStringLiteral("txtGuida"));
    m_txtGuida->setGeometry(20, 126, 630, 376);
    m_txtGuida->setReadOnly(true);
    m_txtGuida->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtGuida->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_txtGuida->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont textFont = m_txtGuida->font();
    textFont.setBold(true);
    m_txtGuida->setFont(textFont);
    m_txtGuida->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: white; color: #23303F; border: 1px solid #A8CAE5; border-radius: 4px; padding: 6px; }"));

    auto* pdf = new Picture(QStringLiteral("imgPDF"), QStringLiteral("ico_pdf"), pan, {20, 516, 32, 32}, true);
    m_lnkWeb = new TextLink(QStringLiteral("lnkWeb"), QStringLiteral("Visualizza guida in formato PDF"), pan, {60, 522, 260, 20});
    m_lnkWeb->bindPicture(pdf);
    connect(m_lnkWeb, &TextLink::clicked, this, &TfrmGuida::lnkWebClick);

    auto* chiudi = new QPushButton(QStringLiteral("Chiudi"), pan);
    chiudi->setObjectName(QStringLiteral("btnChiudi"));
    chiudi->setGeometry(550, 516, 100, 30);
    connect(chiudi, &QPushButton::clicked, this, &TfrmGuida::btnChiudiClick);
}

Picture* TfrmGuida::bannerButton(QFrame* banner, const QString& tip, const QString& title, const QString& topic)
{
    auto* guida = new Picture(QStringLiteral("imgGuida"), QStringLiteral("ico_guida"), banner, {banner->width() - 52, 6, 40, 40}, true);
    guida->setToolTip(tip);
    QObject::connect(
        guida, &Picture::clicked, banner, [banner, title, topic] { showTopic(banner->window(), title, HelpText::topic(topic)); });
    return guida;
}

void TfrmGuida::showTopic(QWidget* owner, const QString& title, const QString& text)
{
    TfrmGuida guida(owner);
    guida.m_lblTitolo->setText(title);
    guida.m_txtGuida->setPlainText(text);
    guida.execModal();
}

void TfrmGuida::formShow()
{
    setFixedSize(kClientSize);
}

void TfrmGuida::lnkWebClick()
{
    m_lnkWeb->setColour(TextLink::kRest);
    // Quoted, so a program folder with blanks reaches the opener whole.
    // Whether the document opens is the desktop's business: no message here.
    TMisc::Open(QLatin1Char('"') + ProgramFolder::file(QStringLiteral("Guida.pdf")) + QLatin1Char('"'));
}
