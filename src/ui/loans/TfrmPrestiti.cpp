#include "TfrmPrestiti.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskCard.h"
#include "core/desk/Readers.h"
#include "core/desk/Reminders.h"
#include "core/loans/LoanSettings.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"
#include "ui/cards/CardScreen.h"
#include "ui/cards/LineList.h"
#include "ui/report/ReportPrinter.h"
#include "print/desk/DeskReport.h"
#include "ui/report/ListReport.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/FailureLog.h"

#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace {

// Wider than the search screens, so that a whole line shows.
constexpr QSize kClient{1000, 560};
constexpr QSize kPanel{971, 529};
// The list report's line (273 mm of Courier New 8, 0.6 em a character)
// holds 161 characters; one is kept spare.
constexpr int kPageChars = 160;
// A size smaller than the search screens' lists, so that a whole line with
// a long title and borrower fits the list without scrolling.
constexpr int kListPointSize = 9;

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, QPoint at, const QString& style = {})
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(at);
    if (!style.isEmpty())
        l->setStyleSheet(style);
    l->adjustSize();
    return l;
}

// The screen's sentences, built from the loan rules of the collections
// that lend their cards, in menu order.
struct LoanWords {
    QString caption;   // " Libri e DVD in prestito"
    QString order;     // which date each collection's lines are sorted by
    QString marks;     // what "!" means for each
    QString daysLabel; // the collections the days apply to
};

LoanWords loanWords()
{
    QStringList names, dates, marks, undated, lentOn;
    for (const Collection* c : Collection::all()) {
        if (!LoanList::keepsLoans(*c))
            continue;
        const LoanRule* rule = c->loans;
        const QString withArticle = c->pluralWithArticle();
        names << Text::utf8(c->plural);
        dates << QStringLiteral("per ") + withArticle + (dates.isEmpty() ? QStringLiteral(" conta ") : QStringLiteral(" "))
                + Text::utf8(rule->dateWords);
        marks << withArticle + QLatin1Char(' ') + Text::utf8(rule->lateWords);
        if (!rule->undated.empty())
            undated << Text::utf8(rule->undated);
        if (!rule->dateIsDue)
            lentOn << withArticle;
    }
    QString lent = Text::listed(names) + QStringLiteral(" in prestito");
    lent[0] = lent[0].toUpper();
    LoanWords words;
    words.caption = QLatin1Char(' ') + lent;
    words.order = lent + QStringLiteral(", dal più vecchio: ") + dates.join(QStringLiteral(", ")) + QLatin1Char('.');
    words.marks = QStringLiteral("Il segno \"!\" indica ") + Text::listed(marks);
    for (const QString& u : undated)
        words.marks += QStringLiteral("; ") + u;
    words.marks += QLatin1Char('.');
    words.daysLabel = QStringLiteral("Segnala ") + Text::listed(lentOn) + QStringLiteral(" prestati da più di");
    return words;
}

// "Libro" and "DVD" in one column, as the list has them.
constexpr int kKindWidth = 5;

// One item under its reader: late mark, kind (a reader holds books and
// DVDs alike), code, title, date and note.
QString itemLine(const Loan& loan)
{
    return QStringLiteral("%1%2  Cod. %3  %4  %5%6")
        .arg(loan.marked ? QStringLiteral("! ") : QStringLiteral("  "), Text::utf8(loan.collection->loans->name).leftJustified(kKindWidth),
            loan.code, loan.title, loan.date, loan.note == LoanNote::None ? QString() : QStringLiteral("  ") + LoanList::noteText(loan));
}

} // namespace

TfrmPrestiti::TfrmPrestiti(QWidget* owner)
    : TForm(owner, Kind::Dialog, loanWords().caption, kClient)
    , m_storedDays(LoanSettings::days())
{
    setObjectName(QStringLiteral("TfrmPrestiti"));
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kPanel);
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    QFrame* banner = Controls::listBanner(pan, 955);
    auto* heading = addLabel(
        banner, QStringLiteral("lblTitolo"), QStringLiteral("Prestiti in corso"), {420, 14}, QStringLiteral("color: #1F4E8C;"));
    heading->setFont(Controls::verdana(13, true));
    heading->adjustSize();
    new Picture(QStringLiteral("icoPrestito"), QStringLiteral("sec_prestito"), banner, {848, 4, 44, 44}, false);
    TfrmGuida::bannerButton(
        banner, QStringLiteral("Guida all'elenco dei prestiti."), QStringLiteral("Prestiti in corso."), QStringLiteral("prestiti"));

    const LoanWords words = loanWords();
    addLabel(pan, QStringLiteral("lblRigo01"), words.order, {8, 66});
    addLabel(pan, QStringLiteral("lblRigo02"), words.marks, {8, 82});

    addLabel(pan, QStringLiteral("lblGiorni"), words.daysLabel, {16, 117});
    m_txtGiorni = new QSpinBox(pan);
    m_txtGiorni->setObjectName(QStringLiteral("txtGiorni"));
    m_txtGiorni->setRange(1, LoanSettings::kMaxDays);
    m_txtGiorni->setValue(m_storedDays);
    m_txtGiorni->setFont(Controls::verdana(10, true));
    m_txtGiorni->setGeometry(226, 113, 70, 24);
    addLabel(pan, QStringLiteral("lblGiorni2"), QStringLiteral("giorni."), {304, 117});
    connect(m_txtGiorni, &QSpinBox::valueChanged, this, [this] { txtGiorniChange(); });

    m_lstPrestiti = new LineList(QStringLiteral("lstPrestiti"), pan, {16, 146, 939, 303});
    QFont listFont = m_lstPrestiti->font();
    listFont.setPointSize(kListPointSize);
    m_lstPrestiti->setFont(listFont);
    connect(m_lstPrestiti, &LineList::dblClick, this, [this] { lstPrestitiDblClick(); });

    addLabel(pan, QStringLiteral("lblRigo03"), QStringLiteral("Per richiamare i dati di una scheda, selezionarla con un doppio clic."),
        {16, 456}, QStringLiteral("color: #DC143C;"));
    m_lblTrovate = addLabel(pan, QStringLiteral("lblTrovate"), QString(), {200, 494}, QStringLiteral("color: #008B8B;"));
    m_lblTrovate->setFont(Controls::verdana(10, true));
    m_lblTrovate->setFixedWidth(590);
    m_lblTrovate->setAlignment(Qt::AlignCenter);

    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, 488, 150, 30}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    auto* stampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {813, 488, 150, 30}, Controls::verdana(9, true));
    connect(stampa, &QPushButton::clicked, this, [this] { btnStampaClick(); });

    m_lstLettori = new QTreeWidget(pan);
    m_lstLettori->setObjectName(QStringLiteral("lstLettori"));
    m_lstLettori->setGeometry(16, 146, 939, 303);
    m_lstLettori->setHeaderHidden(true);
    m_lstLettori->setFont(listFont);
    m_lstLettori->hide();
    connect(m_lstLettori, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { lstLettoriDblClick(item); });
    m_btnLettori = Controls::button(
        pan, QStringLiteral("btnLettori"), QStringLiteral("Lettori"), {650, 110, 150, 28}, Controls::verdana(9, true));
    connect(m_btnLettori, &QPushButton::clicked, this, [this] { btnLettoriClick(); });
    auto* solleciti = Controls::button(
        pan, QStringLiteral("btnSolleciti"), QStringLiteral("Solleciti"), {813, 110, 150, 28}, Controls::verdana(9, true));
    connect(solleciti, &QPushButton::clicked, this, [this] { btnSollecitiClick(); });
}

void TfrmPrestiti::fillReaders()
{
    m_lstLettori->clear();
    for (const Reader& r : Readers::of(m_loans)) {
        auto* top = new QTreeWidgetItem(m_lstLettori, {Readers::line(r)});
        QFont bold = m_lstLettori->font();
        bold.setBold(true);
        top->setFont(0, bold);
        for (const Loan& loan : r.items) {
            auto* child = new QTreeWidgetItem(top, {itemLine(loan)});
            child->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<qlonglong>(loan.index)));
            child->setData(0, Qt::UserRole + 1, Text::latin1(loan.collection->key));
            if (loan.marked)
                child->setForeground(0, QColor(0xDC, 0x14, 0x3C));
        }
    }
    m_lstLettori->expandAll();
}

void TfrmPrestiti::btnLettoriClick()
{
    const bool readers = m_lstLettori->isHidden();
    if (readers)
        fillReaders();
    m_lstLettori->setVisible(readers);
    m_lstPrestiti->setVisible(!readers);
    m_btnLettori->setText(readers ? QStringLiteral("Prestiti") : QStringLiteral("Lettori"));
}

void TfrmPrestiti::lstLettoriDblClick(QTreeWidgetItem* item)
{
    if (!item || !item->parent())
        return;
    const qint64 index = item->data(0, Qt::UserRole).toLongLong();
    const QString key = item->data(0, Qt::UserRole + 1).toString();
    for (const Loan& loan : m_loans.loans()) {
        if (loan.index == index && Text::latin1(loan.collection->key) == key) {
            choose(loan);
            return;
        }
    }
}

void TfrmPrestiti::btnSollecitiClick()
{
    const std::vector<ReminderLetter> letters = Reminders::letters(m_loans, Clock::today());
    if (letters.empty()) {
        Msg::plain(this, QStringLiteral("Nessun lettore ha prestiti in ritardo: non c'è alcun sollecito da stampare."));
        return;
    }
    ReportPrinter::print(this, DeskReport::letters(letters));
}

void TfrmPrestiti::formShow()
{
    m_choice.reset();
    if (!m_loans.load())
        Msg::plain(this, Msg::accessMessage());
    refill();
    m_lstPrestiti->selectRow(0);
    m_lstPrestiti->setFocus(Qt::OtherFocusReason);
}

int TfrmPrestiti::listChars() const
{
    // A fixed-width character is rarely a whole number of pixels: measured
    // over many, so that the rounding never adds up past the edge.
    const QFontMetricsF metrics(m_lstPrestiti->font());
    const qreal each = metrics.horizontalAdvance(QString(100, QLatin1Char('M'))) / 100.0;
    return std::max(1, static_cast<int>((lineRoom() - 4) / std::max<qreal>(1.0, each)));
}

int TfrmPrestiti::lineRoom() const
{
    // Both scroll bars are always shown (the search lists' look).
    return m_lstPrestiti->width() - 2 * m_lstPrestiti->frameWidth()
        - m_lstPrestiti->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_lstPrestiti);
}

void TfrmPrestiti::refill()
{
    m_loans.arrange(Clock::today(), m_txtGiorni->value());
    const QStringList lines = m_loans.lines(listChars());
    m_lstPrestiti->setLines(lines);
    // As wide as the longest line, so that the scroll bar, when a line is
    // too long even so, reaches its end.
    const QFontMetrics metrics(m_lstPrestiti->font());
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    m_lstPrestiti->setItemWidth(std::max(widest + 4, lineRoom()));
    m_lstPrestiti->showScrollBars();
    if (m_lstLettori && m_lstLettori->isVisible())
        fillReaders();
    m_lblTrovate->setText(m_loans.totalLine());
}

void TfrmPrestiti::txtGiorniChange()
{
    const int row = m_lstPrestiti->selectedRow();
    refill();
    m_lstPrestiti->selectRow(row);
    // Kept at once, so that the command line and a screen opened later
    // read the same number even while this one stays open.
    if (m_txtGiorni->value() == m_storedDays)
        return;
    if (LoanSettings::setDays(m_txtGiorni->value())) {
        m_storedDays = m_txtGiorni->value();
    } else if (!m_saveFailed) {
        // Said once: every digit typed would try again.
        m_saveFailed = true;
        Msg::plain(this, Msg::accessMessage());
    }
}

void TfrmPrestiti::lstPrestitiDblClick()
{
    const int row = m_lstPrestiti->selectedRow();
    if (row < 0 || row >= static_cast<int>(m_loans.loans().size()))
        return;
    choose(m_loans.loans()[static_cast<std::size_t>(row)]);
}

void TfrmPrestiti::choose(const Loan& loan)
{
    try {
        // Read again, as a search screen does on its double-click: the card
        // shows what the archive holds now.
        RecordStore store;
        Record record(*loan.collection->layout);
        if (store.open(ProgramFolder::file(loan.collection->archiveName()), loan.collection->layout->size, RecordStore::Mode::ReadExisting)
            && store.seek(loan.index) && store.read(record.bytes()))
            m_choice = Choice{loan.collection, loan.index, record.bytes()};
    } catch (...) {
        FailureLog::spared("TfrmPrestiti::lstPrestitiDblClick");
        // Any failure closes the screen without a message.
    }
    close();
}

void TfrmPrestiti::btnStampaClick()
{
    ListReport::print(this, kPrintTitle, printLines(), kPrintTitle);
}

void TfrmPrestiti::keyPressEvent(QKeyEvent* event)
{
    // A list to look at and leave: Esc closes it, as "Chiudi" does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        btnChiudiClick();
        return;
    }
    TForm::keyPressEvent(event);
}

QStringList TfrmPrestiti::printLines() const
{
    if (!m_lstLettori->isHidden()) {
        // The readers shown: each with the items they hold.
        QStringList lines;
        for (const Reader& r : Readers::of(m_loans)) {
            lines << Readers::line(r);
            for (const Loan& loan : r.items)
                lines << QStringLiteral("    ") + itemLine(loan);
        }
        lines << QString() << loanWords().marks << m_loans.totalLine();
        return lines;
    }
    // The list, then what the screen says around it: what "!" means, after
    // how many days, and the total.
    QStringList lines = m_loans.lines(kPageChars);
    QStringList overdue;
    for (const Collection* c : Collection::all()) {
        if (LoanList::keepsLoans(*c))
            overdue << c->pluralWithArticle() + QLatin1Char(' ') + LoanList::overdueWords(*c, QString::number(m_txtGiorni->value()));
    }
    lines << QString() << loanWords().marks << QStringLiteral("Segnalati: ") + Text::listed(overdue) + QLatin1Char('.')
          << m_loans.totalLine();
    return lines;
}

void TfrmPrestiti::open(TForm* menu)
{
    std::optional<Choice> chosen;
    {
        TfrmPrestiti screen(menu);
        screen.execModal();
        chosen = screen.choice();
    }
    if (!chosen)
        return;
    CardScreen* card = cardScreenFor(Text::utf8(chosen->collection->callerTag));
    if (!card)
        return;
    // A card screen starts with an empty card each time it is shown: show
    // it first, as its tile does, then put the chosen card in.
    menu->handOver(card);
    Record record(*chosen->collection->layout);
    record.bytes() = chosen->record;
    card->showStored(record, chosen->index);
    // The info line says which card this is, not the empty card's hint.
    const DeskCard shown = DeskCard::read(*chosen->collection, chosen->index, chosen->record);
    card->showNotice(QStringLiteral("Scheda in prestito: %1.").arg(shown.line()));
    // Leaving the card comes back here, with the list read afresh.
    card->onNextLeave([menu] { open(menu); });
}
