#include "TfrmTrova.h"

#include "core/text/Text.h"
#include "ui/shell/Controls.h"
#include "ui/cards/CardScreen.h"
#include "ui/cards/LineList.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/cards/QuickFind.h"
#include "ui/report/ListReport.h"
#include "ui/shell/FailureLog.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"

#include <QEvent>
#include <QHash>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QPushButton>

namespace {

constexpr QSize kClient{862, 560};
constexpr QSize kPanel{833, 529};
constexpr int kColumnX[2] = {144, 488};
constexpr int kRowY[5] = {141, 211, 281, 351, 421};
constexpr QSize kField{320, 22};

const QString kDarkCyan = QStringLiteral("#008B8B");
const QString kCrimson = QStringLiteral("#DC143C");

// The last quick-find text lives as long as the screen class, and each
// search table is one screen class.
QString& lastQuickFind(const SearchTable& table)
{
    static QHash<const SearchTable*, QString> texts;
    return texts[&table];
}

} // namespace

TfrmTrova::TfrmTrova(QWidget* owner, const SearchTable& table, const QStringList& stripIcons)
    : TForm(owner, Kind::Dialog, Text::utf8(table.caption), kClient)
    , m_table(table)
{
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kPanel);
    buildFilterPanel(stripIcons);
    // Highlights for the ten filters only: the quick-find box has none.
    createFocusHighlights();
    applyCapacities(*table.layout);
    buildResultPanel();

    std::vector<std::pair<QWidget*, QWidget*>> chain;
    for (std::size_t i = 0; i < m_filters.size(); ++i)
        chain.emplace_back(m_filters[i], m_filters[(i + 1) % m_filters.size()]);
    chain.emplace_back(m_txtTrova, m_btnTrova);
    setEnterChain(chain);
}

QLabel* TfrmTrova::addLabel(QWidget* parent, const QString& name, const QString& text, QPoint at, const QString& colour)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(at);
    if (!colour.isEmpty())
        l->setStyleSheet(QStringLiteral("color: %1;").arg(colour));
    l->adjustSize();
    return l;
}

void TfrmTrova::buildFilterPanel(const QStringList& stripIcons)
{
    m_panAvvio = new QFrame(this);
    m_panAvvio->setObjectName(QStringLiteral("panAvvio"));
    m_panAvvio->setGeometry(QRect(panContainer()->pos(), kPanel));
    Controls::styleListPanel(m_panAvvio);

    new Picture(QStringLiteral("icoIstruzioni"), QStringLiteral("ico_info"), m_panAvvio, {30, 18, 44, 44}, false);
    addLabel(m_panAvvio, QStringLiteral("lblRigo04"),
        QStringLiteral(
            "Immettere nei campi prescelti una o più parole consecutive presenti nelle schede da trovare e premere il pulsante Cerca."),
        {88, 18});
    addLabel(m_panAvvio, QStringLiteral("lblRigo05"), QStringLiteral("Lasciare in bianco tutti gli altri campi."), {88, 38});
    addLabel(m_panAvvio, QStringLiteral("lblRigo06"),
        QStringLiteral("Per ogni ricerca è possibile utilizzare uno o più campi contemporaneamente."), {88, 58});

    auto* strip = new QFrame(m_panAvvio);
    strip->setObjectName(QStringLiteral("shpIcone"));
    strip->setGeometry(34, 104, 76, 352);
    strip->setStyleSheet(QStringLiteral("#shpIcone { background: white; border: 1px solid #C9D7E6; border-radius: 6px; }"));
    for (int row = 0; row < 5 && row < stripIcons.size(); ++row)
        new Picture(QStringLiteral("ico%1").arg(row + 1), stripIcons[row], strip, {14, kRowY[row] - 104 - 24, 48, 48}, false);

    for (std::size_t i = 0; i < m_table.filters.size(); ++i) {
        const SearchFilter& f = m_table.filters[i];
        const QPoint at(kColumnX[i % 2], kRowY[(i / 2) % 5]);
        auto* caption = new QLabel(Text::utf8(f.caption), m_panAvvio);
        caption->setFont(Controls::verdana(12));
        caption->setGeometry(at.x(), at.y() - 21, kField.width(), 20);
        auto* edit = new QLineEdit(m_panAvvio);
        edit->setObjectName(Text::utf8(f.control));
        edit->setFont(Controls::verdana(12, true));
        edit->setGeometry(QRect(at, kField));
        edit->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 2px; }"));
        m_filters.push_back(edit);
    }

    Controls::button(m_panAvvio, QStringLiteral("btnAnnulla"), QStringLiteral("Chiudi"), {8, 488, 150, 30}, Controls::verdana(9, true));
    connect(control<QPushButton>(QStringLiteral("btnAnnulla")), &QPushButton::clicked, this, [this] { btnAnnullaClick(); });
    m_btnCerca = Controls::button(
        m_panAvvio, QStringLiteral("btnCerca"), QStringLiteral("Cerca"), {675, 488, 150, 30}, Controls::verdana(9, true));
    m_btnCerca->installEventFilter(this);
    connect(m_btnCerca, &QPushButton::clicked, this, [this] { btnCercaClick(); });

    m_lblAttendere = addLabel(
        m_panAvvio, QStringLiteral("lblAttendere"), QStringLiteral("Ricerca schede in corso. Attendere..."), {177, 494}, kDarkCyan);
    m_lblAttendere->setFont(Controls::verdana(10, true));
    m_lblAttendere->adjustSize();
    m_lblAttendere->hide();
    m_lblConta = addLabel(m_panAvvio, QStringLiteral("lblConta"), QStringLiteral("0"), {0, 0});
    m_lblConta->hide();
    auto* memory = addLabel(m_panAvvio, QStringLiteral("lblMemory"), QString(), {0, 0});
    memory->hide();
}

void TfrmTrova::buildResultPanel()
{
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    Controls::listBanner(pan, 817);

    addLabel(pan, QStringLiteral("lblRigo01"),
        QStringLiteral("Immettere una o più parole consecutive presenti nella scheda in elenco da cercare e premere il pulsante Trova."),
        {8, 66});
    addLabel(pan, QStringLiteral("lblRigo02"),
        QStringLiteral("Per spostarsi sulla voce successiva contenente la stessa chiave di ricerca, fare di nuovo clic su Trova."),
        {8, 82});

    new Picture(QStringLiteral("icoLente"), QStringLiteral("lente"), pan, {84, 122, 22, 22}, false);
    m_txtTrova = new QLineEdit(pan);
    m_txtTrova->setObjectName(QStringLiteral("txtTrova"));
    m_txtTrova->setFont(Controls::verdana(12, true));
    m_txtTrova->setGeometry(112, 122, 593, 22);
    m_txtTrova->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 2px; }"));
    m_btnTrova = Controls::button(
        pan, QStringLiteral("btnTrova"), QStringLiteral("Trova"), {710, 117, 105, 30}, Controls::verdana(9, true));
    connect(m_btnTrova, &QPushButton::clicked, this, [this] { btnTrovaClick(); });

    m_lstRecords = new LineList(QStringLiteral("lstRecords"), pan, {16, 176, 801, 273});
    connect(m_lstRecords, &LineList::dblClick, this, [this] { lstRecordsDblClick(); });

    addLabel(pan, QStringLiteral("lblRigo03"), QStringLiteral("Per richiamare i dati di una scheda, selezionarla con un doppio clic."),
        {16, 456}, kCrimson);
    m_lblTrovate = addLabel(
        pan, QStringLiteral("lblTrovate"), QStringLiteral("Il presente elenco contiene 0 schede."), {177, 494}, kDarkCyan);
    m_lblTrovate->setFont(Controls::verdana(10, true));
    m_lblTrovate->setFixedWidth(490);

    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, 488, 150, 30}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    auto* stampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {675, 488, 150, 30}, Controls::verdana(9, true));
    connect(stampa, &QPushButton::clicked, this, [this] { btnStampaClick(); });

    pan->hide();
}

void TfrmTrova::formShow()
{
    lastQuickFind(m_table).clear();
    m_lstRecords->selectRow(0);
    m_txtTrova->clear();
    if (!m_filters.empty())
        m_filters.front()->setFocus(Qt::OtherFocusReason);
}

void TfrmTrova::formClose()
{
    m_lstRecords->clear();
    m_lblAttendere->hide();
}

bool TfrmTrova::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_btnCerca && event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        btnCercaMouseDown();
    // A press that ends off the button starts no search: nothing to wait for.
    if (watched == m_btnCerca && event->type() == QEvent::MouseButtonRelease
        && !m_btnCerca->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
        m_lblAttendere->hide();
    return TForm::eventFilter(watched, event);
}

void TfrmTrova::btnCercaMouseDown()
{
    // Drawn now, before the search blocks the event loop.
    m_lblAttendere->show();
    m_lblAttendere->repaint();
}

void TfrmTrova::btnCercaClick()
{
    // However the search ends, the wait is over: hidden before any message.
    const auto waitOver = qScopeGuard([this] { m_lblAttendere->hide(); });
    bool ok = false;
    try {
        Search search(m_table);
        for (std::size_t i = 0; i < m_filters.size(); ++i)
            search.setFilter(static_cast<int>(i), m_filters[i]->text());
        m_lblConta->setText(QString::number(search.filtersInUse()));

        RecordStore store;
        if (store.open(archivePath(), m_table.layout->size, RecordStore::Mode::Read)) {
            m_lstRecords->clear();
            QStringList lines;
            ok = search.run(store, lines);
            store.close();
            if (ok) {
                m_lstRecords->setLines(lines);
                // The scroll bar reaches the end of the longest line.
                m_lstRecords->fitItemWidth(m_table.itemWidth);
                m_lstRecords->showScrollBars();
            }
        }
    } catch (...) {
        FailureLog::spared("TfrmTrova::btnCercaClick");
        ok = false;
    }
    if (!ok) {
        // The filters stay as typed.
        m_lblAttendere->hide();
        Msg::plain(this, Msg::accessMessage());
        return;
    }
    m_lblTrovate->setText(
        QStringLiteral("Il presente riepilogo contiene %1.").arg(Text::counted(m_lstRecords->count(), u"scheda", u"schede")));
    panContainer()->show();
    m_panAvvio->hide();
    m_txtTrova->clear();
    m_txtTrova->setFocus(Qt::OtherFocusReason);
}

void TfrmTrova::btnTrovaClick()
{
    try {
        QuickFind::next(this, m_lstRecords, m_txtTrova->text(), lastQuickFind(m_table));
    } catch (...) {
        FailureLog::spared("TfrmTrova::btnTrovaClick");
        // Any failure but the empty list leaves the selection as it was.
    }
}

void TfrmTrova::lstRecordsDblClick()
{
    try {
        const int row = m_lstRecords->selectedRow();
        RecordStore store;
        if (row >= 0 && store.open(archivePath(), m_table.layout->size, RecordStore::Mode::Read)) {
            CardScreen* card = callerTag() == Text::utf8(m_table.callerTag) ? cardScreen() : nullptr;
            Record r(*m_table.layout);
            // Every record with the same line fills the card in turn, so the
            // last one in the archive is what the card shows.
            Search::findLine(store, m_table, m_lstRecords->line(row), [&](const char* record, qint64 index) {
                if (!card)
                    return;
                r.bytes() = QByteArray(record, m_table.layout->size);
                card->showStored(r, index);
            });
            store.close();
        }
    } catch (...) {
        FailureLog::spared("TfrmTrova::lstRecordsDblClick");
        // Any failure closes the screen without a message.
    }
    close();
}

void TfrmTrova::btnStampaClick()
{
    // Every line in list order, whatever the selection.
    ListReport::print(this, Text::utf8(m_table.printTitle), m_lstRecords->lines());
}

CardScreen* TfrmTrova::cardScreen() const
{
    return cardScreenFor(Text::utf8(m_table.callerTag));
}

QString TfrmTrova::archivePath() const
{
    const CardScreen* card = cardScreen();
    return card ? card->archivePath() : QString();
}
