#include "DeskForm.h"

#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TfrmGuida.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr QSize kClient{1000, 640};
constexpr QSize kPanel{971, 609};
} // namespace

DeskForm::DeskForm(QWidget* owner, const Look& look)
    : TForm(owner, Kind::Dialog, QLatin1Char(' ') + look.title, kClient)
{
    setObjectName(look.objectName);
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kPanel);
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    QFrame* banner = Controls::listBanner(pan, 955);
    auto* heading = addLabel(banner, QStringLiteral("lblIntestazione"), look.title, {400, 12, 300, 26}, Controls::verdana(13, true),
        QStringLiteral("color: #1F4E8C;"));
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    new Picture(QStringLiteral("ico") + look.objectName.mid(5), look.picture, banner, {848, 4, 44, 44}, false);
    TfrmGuida::bannerButton(banner, look.helpTip, look.title + QLatin1Char('.'), look.helpTopic);
}

QLabel* DeskForm::addLabel(QWidget* parent, const QString& name, const QString& text, QRect at, const QFont& font, const QString& style)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setFont(font);
    if (!style.isEmpty())
        l->setStyleSheet(style);
    return l;
}

void DeskForm::addCodeField(QRect at, const std::function<void()>& entered)
{
    addLabel(panContainer(), QStringLiteral("lblCodice"), QStringLiteral("Codice:"), {16, at.y() + 6, at.x() - 20, 24},
        Controls::verdana(11, true));
    m_txtCodice = new QLineEdit(panContainer());
    m_txtCodice->setObjectName(QStringLiteral("txtCodice"));
    m_txtCodice->setGeometry(at);
    m_txtCodice->setFont(Controls::verdana(14, true));
    m_txtCodice->setPlaceholderText(QStringLiteral("leggere l'etichetta"));
    connect(m_txtCodice, &QLineEdit::returnPressed, this, entered);
}

void DeskForm::addMessageLine(QRect at)
{
    m_lblMessaggio = addLabel(panContainer(), QStringLiteral("lblMessaggio"), QString(), at, Controls::verdana(10, true));
    m_lblMessaggio->setWordWrap(true);
}

void DeskForm::say(const QString& text, bool trouble)
{
    m_lblMessaggio->setStyleSheet(trouble ? QStringLiteral("color: #DC143C;") : QStringLiteral("color: #008B8B;"));
    m_lblMessaggio->setText(text);
}

QString DeskForm::elided(const QString& text, const QLabel* label)
{
    const QFontMetrics metrics(label->font());
    const int room = label->width() - 2 * label->margin() - 4;
    if (metrics.horizontalAdvance(text) <= room)
        return text;
    const QString dots = QStringLiteral("\u2026");
    // The longest beginning that ends with a whole word; a first word too
    // long for the line is cut where the line ends.
    QString best;
    for (qsizetype blank = text.indexOf(QLatin1Char(' ')); blank > 0; blank = text.indexOf(QLatin1Char(' '), blank + 1)) {
        const QString head = text.left(blank).trimmed();
        if (metrics.horizontalAdvance(head + dots) > room)
            break;
        best = head;
    }
    if (best.isEmpty())
        return metrics.elidedText(text, Qt::ElideRight, room);
    while (!best.isEmpty() && QStringLiteral(",;:.-").contains(best.back()))
        best.chop(1);
    return best + dots;
}
