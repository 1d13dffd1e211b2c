#include "TestSupport.h"

#include "ui/cards/LineList.h"
#include "ui/cards/QuickFind.h"
#include "ui/registry/Screens.h"
#include "ui/books/TfrmCodici_Dewey.h"
#include "ui/books/TfrmLibri.h"
#include "print/report/PreparedReport.h"
#include "ui/report/PrintDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <memory>

#include <functional>

namespace {

// Sections that recent editions of the classification leave unassigned, and
// the optional numbers that are usually left out: the table has no line for
// them.
const QList<int> kNotInUse{7, 8, 9, 13, 24, 29, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 104, 112, 125, 132, 134, 136, 151, 157, 159, 163,
    164, 216, 217, 219, 237, 244, 245, 256, 257, 258, 288, 291, 308, 309, 311, 312, 313, 329, 376, 377, 396, 397, 416, 424, 426, 434, 436,
    444, 446, 454, 456, 464, 466, 474, 476, 484, 486, 504, 517, 524, 544, 545, 574, 589, 619, 626, 654, 655, 656, 689, 699, 744, 756, 762,
    768, 777, 804, 991, 992,
    // optional
    298, 789, 819, 921, 922, 923, 924, 925, 926, 927, 928};

const QString kMusica = QStringLiteral("780 MUSICA NEL MONDO ANTICO");

// The rows of the table that hold `text`, ignoring A-Z case.
QList<int> rowsContaining(const QString& text)
{
    QList<int> rows;
    const QStringList& table = TfrmCodici_Dewey::table();
    for (int row = 0; row < table.size(); ++row) {
        if (table[row].contains(text, Qt::CaseInsensitive))
            rows << row;
    }
    return rows;
}

} // namespace

class DeweyTest : public QObject, public BookCardFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The table as data.
    void everyLineHasTheForm();
    void sectionsInUse();
    void quotedLines_data();
    void quotedLines();

    // The screen, opened from the book card.
    void loadsOnceTheWindowIsDrawn();
    void quickFindWalksTheMatches();
    void lastQuickFindCarriesOver();
    void doubleClickImportsTheCode();
    void doubleClickTagAndSelection_data();
    void doubleClickTagAndSelection();
    void printsTheWholeTable();

private:
    // Opens the table from the card's Dewey button, waits for it to load and
    // runs `drive` on it; returns when the screen has closed.
    void openFromCard(const std::function<void(TfrmCodici_Dewey*)>& drive, bool waitForLoad = true);
    static int trova(TfrmCodici_Dewey* screen, const QString& text);
    static void doubleClickRow(TfrmCodici_Dewey* screen, int row);
    void expectFocusOnDewey();
};

void DeweyTest::init()
{
    QVERIFY(openBookCard());
}

void DeweyTest::cleanup()
{
    PrintDialog::setHandler({});
    closeBookCard();
}

void DeweyTest::openFromCard(const std::function<void(TfrmCodici_Dewey*)>& drive, bool waitForLoad)
{
    bool driven = false;
    onNextModal<TfrmCodici_Dewey>([&, waitForLoad](TfrmCodici_Dewey* screen) {
        driven = true;
        // The offscreen platform leaves activating a modal dialog to us.
        screen->activateWindow();
        if (!QTest::qWaitFor([screen] { return QApplication::activeWindow() == screen; }))
            qWarning("the table did not become the active window");
        if (waitForLoad && !QTest::qWaitFor([screen] { return screen->lstRecords()->count() > 0; }, 5000))
            qWarning("the table was not loaded");
        drive(screen);
        if (screen->isVisible())
            screen->close();
    });
    QTest::mouseClick(m_card->control("btnDewey"), Qt::LeftButton);
    QVERIFY(driven);
    // Destroyed as soon as it has closed.
    QVERIFY(m_card->findChildren<TfrmCodici_Dewey*>().isEmpty());
}

int DeweyTest::trova(TfrmCodici_Dewey* screen, const QString& text)
{
    screen->control<QLineEdit>("txtTrova")->setText(text);
    QTest::mouseClick(screen->control("btnTrova"), Qt::LeftButton);
    return screen->lstRecords()->selectedRow();
}

void DeweyTest::doubleClickRow(TfrmCodici_Dewey* screen, int row)
{
    LineList* list = screen->lstRecords();
    const QModelIndex at = list->model()->index(row, 0);
    list->scrollTo(at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(at).center());
}

void DeweyTest::expectFocusOnDewey()
{
    // Back on the card, the Dewey field has the focus and its highlight.
    m_card->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_card));
    QCOMPARE(QApplication::focusWidget(), m_card->control("txtDewey"));
    QVERIFY(m_card->control("effDewey")->isVisible());
}

void DeweyTest::everyLineHasTheForm()
{
    const QStringList& table = TfrmCodici_Dewey::table();
    QVERIFY(!table.isEmpty());
    // Code, one space, a caption in ASCII capitals that starts and ends with
    // a letter, digit or bracket and never holds two spaces in a row.
    static const QRegularExpression form(QStringLiteral("^[0-9]{3} [A-Z0-9(](?:(?:[A-Z0-9'(),.;:/-]| (?! ))*[A-Z0-9).])?$"));
    int previous = 0;
    for (int i = 0; i < table.size(); ++i) {
        const QString& line = table[i];
        const QByteArray where = QStringLiteral("line %1: \"%2\"").arg(i + 1).arg(line).toUtf8();
        QVERIFY2(form.match(line).hasMatch(), where.constData());
        QVERIFY2(line.size() <= 120, where.constData());
        const int code = line.left(3).toInt();
        QVERIFY2(code >= previous, where.constData());
        previous = code;
    }
}

void DeweyTest::sectionsInUse()
{
    QSet<int> expected;
    for (int code = 1; code <= 999; ++code)
        expected.insert(code);
    for (int code : kNotInUse)
        expected.remove(code);

    QSet<int> found;
    for (const QString& line : TfrmCodici_Dewey::table())
        found.insert(line.left(3).toInt());
    const QSet<int> missing = expected - found;
    const QSet<int> extra = found - expected;
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing %1").arg(missing.values().value(0))));
    QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("not in use %1").arg(extra.values().value(0))));
}

// clang-format off
void DeweyTest::quotedLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("run"); // how many times in a row at least

    QTest::newRow("first") << QStringLiteral("001 CONOSCENZA") << 1;
    QTest::newRow("programming") << QStringLiteral("005 PROGRAMMAZIONE") << 1;
    QTest::newRow("ancient music") << kMusica << 1;
    QTest::newRow("last") << QStringLiteral("999 STORIA DI MONDI EXTRATERRESTRI") << 1;
    QTest::newRow("a line twice") << QStringLiteral("786 STRUMENTI A CORDA E TASTIERA") << 2;
}
// clang-format on

void DeweyTest::quotedLines()
{
    QFETCH(QString, line);
    QFETCH(int, run);
    const QStringList& table = TfrmCodici_Dewey::table();
    int longest = 0;
    for (int i = 0, current = 0; i < table.size(); ++i) {
        current = table[i] == line ? current + 1 : 0;
        longest = std::max(longest, current);
    }
    QVERIFY(longest >= run);
}

void DeweyTest::loadsOnceTheWindowIsDrawn()
{
    openFromCard(
        [&](TfrmCodici_Dewey* screen) {
            QCOMPARE(screen->windowTitle(), QStringLiteral(" Tabella Codici Dewey"));
            QCOMPARE(screen->size(), QSize(861, 561));
            QCOMPARE(screen->callerTag(), QStringLiteral("libri"));
            QCOMPARE(QApplication::focusWidget(), screen->control("txtTrova"));
            // The load waits for its timer: hold it, so what follows sees the
            // window before the load whatever the machine's speed.
            QVERIFY(screen->timCarica()->isActive());
            screen->timCarica()->stop();
            // Drawn first with the empty list and the loading picture.
            QVERIFY(QTest::qWaitForWindowExposed(screen));
            QCOMPARE(screen->lstRecords()->count(), 0);
            QVERIFY(screen->control("panDewey")->isVisible());

            trova(screen, QStringLiteral("musica"));
            QCOMPARE(m_log->entries.size(), 1);
            QCOMPARE(m_log->entries.last().kind, Msg::Kind::Plain);
            QCOMPARE(m_log->lastText(), QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));

            screen->timCaricaTimer();
            QCOMPARE(screen->lstRecords()->lines(), TfrmCodici_Dewey::table());
            QVERIFY(!screen->control("panDewey")->isVisible());
            QCOMPARE(screen->lstRecords()->selectedRow(), -1);
        },
        false);
    QCOMPARE(m_log->entries.size(), 1);
}

void DeweyTest::quickFindWalksTheMatches()
{
    const QList<int> matches = rowsContaining(QStringLiteral("musica"));
    QVERIFY(matches.size() > 3);
    openFromCard([&](TfrmCodici_Dewey* screen) {
        // The last text lives as long as the program: a text found nowhere
        // makes "Musica" a new search that starts from the top.
        QCOMPARE(trova(screen, QStringLiteral("#")), 0);
        QList<int> walked;
        for (int i = 0; i <= matches.size(); ++i)
            walked << trova(screen, QStringLiteral("Musica"));
        QCOMPARE(walked, matches + QList<int>{matches.first()}); // round to the first again
        QCOMPARE(trova(screen, QStringLiteral("musica")), matches[1]);
        QCOMPARE(trova(screen, QStringLiteral("musicale da camera")), matches[1]); // no match: unchanged
        // Enter in the find box goes to Trova, and Enter on Trova runs it
        // (a new text: from the top).
        auto* txtTrova = screen->control<QLineEdit>("txtTrova");
        txtTrova->setText(QStringLiteral("musica"));
        txtTrova->setFocus();
        pressEnter(txtTrova);
        QCOMPARE(QApplication::focusWidget(), screen->control("btnTrova"));
        pressEnter(screen->control("btnTrova"));
        QCOMPARE(screen->lstRecords()->selectedRow(), matches.first());
    });
    QVERIFY(m_log->entries.isEmpty());
}

void DeweyTest::lastQuickFindCarriesOver()
{
    // The first line holds the text, and so do later ones.
    const QList<int> matches = rowsContaining(QStringLiteral("conoscenza"));
    QCOMPARE(matches.value(0), 0);
    QVERIFY(matches.size() > 2);
    openFromCard([&](TfrmCodici_Dewey* screen) {
        trova(screen, QStringLiteral("#"));
        QCOMPARE(trova(screen, QStringLiteral("conoscenza")), 0);
    });
    openFromCard([&](TfrmCodici_Dewey* screen) {
        QVERIFY(screen->control<QLineEdit>("txtTrova")->text().isEmpty());
        // The same text again: it goes on after the first line instead of
        // finding the first line itself.
        QCOMPARE(trova(screen, QStringLiteral("CONOSCENZA")), matches[1]);
    });
}

void DeweyTest::doubleClickImportsTheCode()
{
    auto* txtDewey = m_card->control<QLineEdit>("txtDewey");
    txtDewey->setText(QStringLiteral("100"));
    m_card->control("txtTitolo")->setFocus();
    const int row = TfrmCodici_Dewey::table().indexOf(kMusica);
    QVERIFY(row > 0);
    bool closed = false;
    openFromCard([&](TfrmCodici_Dewey* screen) {
        doubleClickRow(screen, row);
        closed = !screen->isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(txtDewey->text(), QStringLiteral("780"));
    expectFocusOnDewey();
    QVERIFY(m_log->entries.isEmpty());
}

// clang-format off
void DeweyTest::doubleClickTagAndSelection_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("dewey");

    QTest::newRow("another caller") << QStringLiteral("dvd") << true << QStringLiteral("100");
    QTest::newRow("tag compared exactly") << QStringLiteral("Libri") << true << QStringLiteral("100");
    QTest::newRow("tag read trimmed") << QStringLiteral(" libri\t") << true << QStringLiteral("780");
    QTest::newRow("no line to take") << QStringLiteral("libri") << false << QStringLiteral("100");
}
// clang-format on

void DeweyTest::doubleClickTagAndSelection()
{
    QFETCH(QString, tag);
    QFETCH(bool, loaded);
    QFETCH(QString, dewey);
    auto* txtDewey = m_card->control<QLineEdit>("txtDewey");
    txtDewey->setText(QStringLiteral("100"));
    m_card->control("txtTitolo")->setFocus();
    bool closed = false;
    openFromCard(
        [&](TfrmCodici_Dewey* screen) {
            screen->setCallerTag(tag);
            LineList* list = screen->lstRecords();
            if (loaded)
                doubleClickRow(screen, TfrmCodici_Dewey::table().indexOf(kMusica));
            else
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
            closed = !screen->isVisible();
        },
        loaded);
    QVERIFY(closed);
    QCOMPARE(txtDewey->text(), dewey);
    expectFocusOnDewey();
    QVERIFY(m_log->entries.isEmpty());
}

void DeweyTest::printsTheWholeTable()
{
    QList<PreparedReport> offered;
    bool waitLabelShown = false;
    QWidget* lblAttendere = nullptr;
    PrintDialog::setHandler([&](QPrinter&, const PreparedReport& report) {
        offered.append(report);
        waitLabelShown = lblAttendere && lblAttendere->isVisible();
        return false; // cancelled: the prepared pages are what would print
    });
    openFromCard([&](TfrmCodici_Dewey* screen) {
        lblAttendere = screen->control("lblAttendere");
        QVERIFY(!lblAttendere->isVisible());
        // A selection in the middle of the table, after a quick find.
        trova(screen, QStringLiteral("#"));
        QVERIFY(trova(screen, QStringLiteral("musica")) > 0);
        QWidget* btnStampa = screen->control("btnStampa");
        QTest::mousePress(btnStampa, Qt::LeftButton);
        QVERIFY(lblAttendere->isVisible());
        QTest::mouseRelease(btnStampa, Qt::LeftButton);
        QVERIFY(!lblAttendere->isVisible());
    });
    QCOMPARE(offered.size(), 1);
    QVERIFY(waitLabelShown);

    const PreparedReport& report = offered.first();
    QCOMPARE(report.name, QStringLiteral("Riepilogo dati"));
    QVERIFY(report.pages.size() > 1);
    const PageItem* title = report.pages.first().find(QStringLiteral("txtTitolo"));
    QVERIFY(title);
    QCOMPARE(title->lines(), QStringList{QStringLiteral("Tabella Codici Dewey")});
    QStringList printed;
    for (const PreparedPage& page : report.pages) {
        for (const PageItem& item : page.items) {
            if (item.name == QLatin1String("txtRiepilogo"))
                printed += item.lines();
        }
    }
    QCOMPARE(printed, TfrmCodici_Dewey::table());
    QVERIFY(m_log->entries.isEmpty());
}

QTEST_MAIN(DeweyTest)
#include "test_dewey.moc"
