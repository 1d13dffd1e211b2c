#include "TfrmCodici_Dewey.h"

#include "core/collections/Books.h"
#include "ui/shell/Controls.h"
#include "ui/cards/LineList.h"
#include "ui/shell/Picture.h"
#include "ui/cards/QuickFind.h"
#include "core/text/ResourceText.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "ui/cards/CardScreen.h"
#include "ui/books/TfrmLibri.h"
#include "ui/report/ListReport.h"
#include "ui/shell/FailureLog.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr QSize kClient{861, 561};
constexpr QSize kPanel{833, 529};
constexpr int kItemWidth = 760;
constexpr int kLoadDelayMs = 1000;

// One last quick-find text for the screen class: unlike the search screens
// it is never emptied, so the same text in a new opening goes on from the
// selected line.
QString lastQuickFind;

// A decorative rectangle with a soft gradient, behind the find box and the list.
QFrame* addShape(QWidget* parent, const QString& name, QRect at, const QString& style)
{
    auto* shape = new QFrame(parent);
    shape->setObjectName(name);
    shape->setGeometry(at);
    shape->setStyleSheet(QStringLiteral("#%1 { %2 }").arg(name, style));
    return shape;
}

} // namespace

TfrmCodici_Dewey::TfrmCodici_Dewey(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Tabella Codici Dewey"), kClient)
{
    setObjectName(QStringLiteral("TfrmCodici_Dewey"));
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kPanel);

    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);

    addShape(pan, QStringLiteral("shpTitolo"), {8, 8, 817, 81},
        QStringLiteral("background: white; border: 1px solid #C9D7E6; border-radius: 6px;"));
    new Picture(QStringLiteral("icoDewey"), QStringLiteral("dewey_titolo"), pan, {16, 12, 466, 65}, false);
    addLabel(QStringLiteral("lblRigo01"),
        QStringLiteral("Immettere una o più parole consecutive presenti nella voce in elenco da cercare e premere il pulsante Trova."),
        {84, 56});
    addLabel(QStringLiteral("lblRigo02"),
        QStringLiteral("Per spostarsi sulla voce successiva contenente la stessa chiave di ricerca, fare di nuovo clic su Trova."),
        {84, 70});

    const QString softGradient = QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #D6E4F3);"
                                                " border: 1px solid #C9D7E6; border-radius: 6px;");
    addShape(pan, QStringLiteral("shpTrova"), {76, 104, 749, 42}, softGradient);
    addShape(pan, QStringLiteral("shpElenco"), {8, 160, 817, 293}, softGradient);

    new Picture(QStringLiteral("icoLente"), QStringLiteral("lente"), pan, {84, 114, 22, 22}, false);
    m_txtTrova = new QLineEdit(pan);
    m_txtTrova->setObjectName(QStringLiteral("txtTrova"));
    m_txtTrova->setFont(Controls::verdana(12, true));
    m_txtTrova->setGeometry(112, 114, 593, 22);
    m_txtTrova->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 2px; }"));
    m_btnTrova = Controls::button(
        panContainer(), QStringLiteral("btnTrova"), QStringLiteral("Trova"), {710, 109, 105, 30}, Controls::verdana(9, true));
    connect(m_btnTrova, &QPushButton::clicked, this, [this] { btnTrovaClick(); });

    m_lstRecords = new LineList(QStringLiteral("lstRecords"), pan, {16, 168, 801, 281});
    connect(m_lstRecords, &LineList::dblClick, this, [this] { lstRecordsDblClick(); });

    auto* lblRigo03 = addLabel(QStringLiteral("lblRigo03"),
        QStringLiteral("Per importare un codice Dewey dall'elenco, selezionarlo con un doppio clic."), {16, 456});
    lblRigo03->setStyleSheet(QStringLiteral("color: #DC143C;"));

    // Over the list until the table is in it.
    m_panDewey = new Picture(QStringLiteral("panDewey"), QStringLiteral("dewey_caricamento"), pan, {208, 284, 418, 54}, false);
    m_panDewey->raise();

    m_lblAttendere = addLabel(QStringLiteral("lblAttendere"), QStringLiteral("Stampa in corso. Attendere..."), {168, 494});
    m_lblAttendere->setFont(Controls::verdana(12, false, true));
    m_lblAttendere->setStyleSheet(QStringLiteral("color: #006400;"));
    m_lblAttendere->adjustSize();
    m_lblAttendere->hide();

    auto* btnChiudi = Controls::button(
        panContainer(), QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, 488, 150, 30}, Controls::verdana(9, true));
    connect(btnChiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    m_btnStampa = Controls::button(
        panContainer(), QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {675, 488, 150, 30}, Controls::verdana(9, true));
    m_btnStampa->installEventFilter(this);
    connect(m_btnStampa, &QPushButton::clicked, this, [this] { btnStampaClick(); });

    setCallerTag(QString());

    setTabOrder(m_txtTrova, m_lstRecords);
    setTabOrder(m_lstRecords, m_btnStampa);
    setTabOrder(m_btnStampa, btnChiudi);
    setTabOrder(btnChiudi, m_btnTrova);
    setEnterChain({{m_txtTrova, m_btnTrova}});

    m_timCarica = new QTimer(this);
    m_timCarica->setObjectName(QStringLiteral("timCarica"));
    m_timCarica->setSingleShot(true);
    m_timCarica->setInterval(kLoadDelayMs);
    connect(m_timCarica, &QTimer::timeout, this, [this] { timCaricaTimer(); });
}

const QStringList& TfrmCodici_Dewey::table()
{
    static const QStringList lines = ResourceText::lines(QStringLiteral(":/dewey/codici.txt"));
    return lines;
}

QLabel* TfrmCodici_Dewey::addLabel(const QString& name, const QString& text, QPoint at)
{
    auto* l = new QLabel(text, panContainer());
    l->setObjectName(name);
    l->move(at);
    l->adjustSize();
    return l;
}

void TfrmCodici_Dewey::formShow()
{
    m_lstRecords->selectRow(0);
    m_txtTrova->clear();
    m_lstRecords->clear();
    m_lstRecords->setItemWidth(kItemWidth);
    m_lstRecords->showScrollBars();
    m_panDewey->show();
    // Fires once the window has been drawn with the empty list.
    m_timCarica->start();
    m_txtTrova->setFocus(Qt::OtherFocusReason);
}

void TfrmCodici_Dewey::timCaricaTimer()
{
    m_timCarica->stop();
    // One batch: the list lays itself out once.
    m_lstRecords->setUpdatesEnabled(false);
    m_lstRecords->setLines(table());
    m_lstRecords->setUpdatesEnabled(true);
    m_panDewey->hide();
}

void TfrmCodici_Dewey::btnTrovaClick()
{
    try {
        QuickFind::next(this, m_lstRecords, m_txtTrova->text(), lastQuickFind);
    } catch (...) {
        FailureLog::spared("TfrmCodici_Dewey::btnTrovaClick");
        // Any failure but the empty list leaves the selection as it was.
    }
}

CardScreen* TfrmCodici_Dewey::bookCard()
{
    return cardScreenFor(Text::utf8(Books::collection().callerTag));
}

void TfrmCodici_Dewey::lstRecordsDblClick()
{
    try {
        const int row = m_lstRecords->selectedRow();
        CardScreen* card = bookCard();
        if (row >= 0 && card && callerTag() == card->cardTag()) {
            if (auto* txtDewey = card->control<QLineEdit>(QStringLiteral("txtDewey")))
                txtDewey->setText(m_lstRecords->line(row).left(3));
        }
    } catch (...) {
        FailureLog::spared("TfrmCodici_Dewey::lstRecordsDblClick");
        // Any failure closes the screen and leaves the card as it was.
    }
    close();
}

void TfrmCodici_Dewey::formClose()
{
    m_timCarica->stop();
    // Whether a code was taken or not, the card goes on from its Dewey field.
    if (CardScreen* card = bookCard()) {
        if (auto* txtDewey = card->control<QLineEdit>(QStringLiteral("txtDewey")))
            txtDewey->setFocus(Qt::OtherFocusReason);
    }
}

bool TfrmCodici_Dewey::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_btnStampa && event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        btnStampaMouseDown();
    return TForm::eventFilter(watched, event);
}

void TfrmCodici_Dewey::btnStampaMouseDown()
{
    // Drawn now, before printing blocks the event loop.
    m_lblAttendere->show();
    m_lblAttendere->repaint();
}

void TfrmCodici_Dewey::btnStampaClick()
{
    try {
        // The whole table in list order: the quick find only moves the selection.
        ListReport::print(this, QStringLiteral("Tabella Codici Dewey"), m_lstRecords->lines());
        m_lblAttendere->hide();
    } catch (...) {
        FailureLog::spared("TfrmCodici_Dewey::btnStampaClick");
        // The wait label stays when printing fails.
    }
}
