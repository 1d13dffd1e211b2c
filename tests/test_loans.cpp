// The loans overview: the screen's hand-over of a card to its card screen,
// its kept days, its print and its agreement with the command line. The
// list's own order and marks are tested on the core alone (test_loans_core).
#include "TestSupport.h"
#include "LoanFixtures.h"

#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "cli/CommandLine.h"
#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/storage/Record.h"
#include "core/text/Clock.h"
#include "ui/cards/CardScreen.h"
#include "ui/cards/LineList.h"
#include "ui/loans/TfrmPrestiti.h"
#include "ui/registry/ScreenRegistry.h"
#include "print/report/PreparedReport.h"
#include "ui/report/PrintDialog.h"
#include "ui/shell/Controls.h"
#include "ui/registry/Screens.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/tools/TfrmStrumenti.h"

#include <QFontMetrics>
#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <QTextStream>

namespace {

// The loans screen is reached through the main menu's list of tools.
void openLoansFromMenu(TForm* menu)
{
    onNextModal<TfrmStrumenti>([](TfrmStrumenti* list) { list->pick(QStringLiteral("imgPrestiti")); });
    static_cast<TfrmAvvio*>(menu)->imgStrumentiClick();
}

// The command line's "loans" over the test's program folder.
QString cliLoans(const TestFolder& folder, const QStringList& args = {})
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = CommandLine::run(QStringList{QStringLiteral("--folder"), folder.path(), QStringLiteral("loans")} + args, o, e);
    o.flush();
    return code == 0 ? out : QStringLiteral("exit %1").arg(code);
}

} // namespace

using namespace LoanFixtures;

class LoansTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(kToday); }
    void cleanup() { Clock::setFixed({}); }
    void totalInTheSingularForOne_data();
    void totalInTheSingularForOne();
    void linesFitTheWidth_data();
    void linesFitTheWidth();
    void marksOnEveryOutput_data();
    void marksOnEveryOutput();
    void screenSaysWhichDatesCount();
    void doubleClickHandsTheCardToItsScreen();
    void daysAreKeptAndShared();
    void daysThatCannotBeKeptAreSaidOnce();
    void stampaPrintsTheListUnderItsTitle();
};

// clang-format off
void LoansTest::totalInTheSingularForOne_data()
{
    QTest::addColumn<QByteArray>("books");
    QTest::addColumn<QString>("total");
    QTest::newRow("none") << QByteArray() << "Il presente elenco contiene 0 schede in prestito, 0 segnalate.";
    QTest::newRow("one, marked") << archive(TSchedaLibro, {{"Uno", "Rossi", "01/01/2025", "No"}})
                                 << "Il presente elenco contiene 1 scheda in prestito, 1 segnalata.";
    QTest::newRow("two, one marked") << archive(TSchedaLibro, {{"Uno", "Rossi", "01/01/2025", "No"}, {"Due", "Neri", "10/03/2025", "No"}})
                                     << "Il presente elenco contiene 2 schede in prestito, 1 segnalata.";
}
// clang-format on

void LoansTest::totalInTheSingularForOne()
{
    QFETCH(QByteArray, books);
    QFETCH(QString, total);
    TestFolder folder;
    folder.write(QStringLiteral("Libri.pro"), books);
    LoanList list;
    QVERIFY(list.load());
    list.arrange(Clock::today(), 30);
    QCOMPARE(list.totalLine(), total);
    // The command line says it in the same words.
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(CommandLine::run({QStringLiteral("--folder"), folder.path(), QStringLiteral("loans")}, o, e), 0);
    e.flush();
    QCOMPARE(err.trimmed(), total);
}

// clang-format off
void LoansTest::linesFitTheWidth_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("borrower");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("line");
    const QString title = QStringLiteral("Il nome della rosa, edizione illustrata"); // 39 characters
    const QString borrower = QStringLiteral("Maestra Anna (prestito di classe)");    // 33
    QTest::newRow("no limit") << title << borrower << 0
        << "  Libro  Cod. C1  Il nome della rosa, edizione illustrata  Maestra Anna (prestito di classe)  01/03/2025";
    QTest::newRow("exactly wide enough") << title << borrower << 104
        << "  Libro  Cod. C1  Il nome della rosa, edizione illustrata  Maestra Anna (prestito di classe)  01/03/2025";
    QTest::newRow("one short: the borrower gives") << title << borrower << 103
        << "  Libro  Cod. C1  Il nome della rosa, edizione illustrata  Maestra Anna (prestito di class\u2026  01/03/2025";
    QTest::newRow("the title takes the room first") << title << borrower << 85
        << "  Libro  Cod. C1  Il nome della rosa, edizione illustrata  Maestra Anna \u2026  01/03/2025";
    QTest::newRow("the title gives once the borrower is at its shortest") << title << borrower << 70
        << "  Libro  Cod. C1  Il nome della rosa, edizi\u2026  Maestra Ann\u2026  01/03/2025";
    QTest::newRow("short title: the borrower takes the rest") << "Emma" << borrower << 60
        << "  Libro  Cod. C1  Emma  Maestra Anna (prestito \u2026  01/03/2025";
    QTest::newRow("a very long borrower gives, the title stays whole")
        << title << "Biblioteca della scuola media Giovanni Pascoli, classe terza sezione B, progetto" << 140
        << "  Libro  Cod. C1  Il nome della rosa, edizione illustrata  "
           "Biblioteca della scuola media Giovanni Pascoli, classe terza sezione\u2026  01/03/2025";
    QTest::newRow("far too narrow: never below the minimum") << title << borrower << 20
        << "  Libro  Cod. C1  Il nome della r\u2026  Maestra Ann\u2026  01/03/2025";
}
// clang-format on

void LoansTest::linesFitTheWidth()
{
    QFETCH(QString, title);
    QFETCH(QString, borrower);
    QFETCH(int, width);
    QFETCH(QString, line);
    TestFolder folder;
    folder.write(QStringLiteral("Libri.pro"),
        archive(TSchedaLibro, {{title.toUtf8().constData(), borrower.toUtf8().constData(), "01/03/2025", "No"}}));
    LoanList list;
    QVERIFY(list.load());
    list.arrange(Clock::today(), 30);
    QCOMPARE(list.lines(width), QStringList{line});
}

// clang-format off
void LoansTest::marksOnEveryOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("screen") << "screen";
    QTest::newRow("print") << "print";
    QTest::newRow("command line") << "cli";
}
// clang-format on

// The words after the date reach the list, the printed page and the
// command line, each fitted to its width without cutting the long borrower.
void LoansTest::marksOnEveryOutput()
{
    QFETCH(QString, output);
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    QStringList lines;
    QString total;
    if (output == QLatin1String("cli")) {
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(CommandLine::run({QStringLiteral("--folder"), folder.path(), QStringLiteral("loans")}, o, e), 0);
        o.flush();
        e.flush();
        lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        total = err.trimmed();
    } else {
        TfrmPrestiti screen;
        screen.show();
        LineList* list = screen.lstPrestiti();
        if (output == QLatin1String("screen")) {
            grabForALook(&screen, QStringLiteral("prestiti"));
            lines = list->lines();
            // Nothing beyond the right edge: every line shows whole.
            const QFontMetrics metrics(list->font());
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= list->viewport()->width(), qPrintable(line));
            total = screen.control<QLabel>(QStringLiteral("lblTrovate"))->text();
        } else {
            PrintLog printed(false);
            QTest::mouseClick(screen.control(QStringLiteral("btnStampa")), Qt::LeftButton);
            QCOMPARE(printed.offered.size(), 1);
            for (const PreparedPage& page : printed.offered.first().pages) {
                for (const PageItem& item : page.items) {
                    if (item.name == QLatin1String("txtRiepilogo"))
                        lines += item.lines();
                }
            }
            QCOMPARE(lines, screen.printLines());
            // The page's line holds 160 characters of its font.
            for (const QString& line : lines)
                QVERIFY2(line.size() <= 160, qPrintable(line));
            // Under the list, what the screen says around it.
            const QStringList footer = lines.mid(lines.size() - TfrmPrestiti::kPrintFooterLines);
            lines.resize(lines.size() - TfrmPrestiti::kPrintFooterLines);
            QCOMPARE(footer.at(0), QString());
            QCOMPARE(footer.at(1), screen.control<QLabel>(QStringLiteral("lblRigo02"))->text());
            QCOMPARE(
                footer.at(2), QStringLiteral("Segnalati: i libri prestati da più di 30 giorni e i DVD oltre la data di restituzione."));
            total = footer.at(3);
        }
        screen.close();
    }
    QCOMPARE(total, QStringLiteral("Il presente elenco contiene 12 schede in prestito, 3 segnalate."));
    QCOMPARE(lines.size(), 12);
    const auto lineOf = [&](const char* title) {
        for (const QString& line : lines) {
            if (line.contains(QLatin1String(title)))
                return line;
        }
        return QString();
    };
    const struct {
        const char* title;
        const char* holds; // the borrower and the date, whole
        const char* ends;  // the words after the date
        // clang-format off
    } marks[] = {
        {"Impossible date", "Gialli", "31/02/2025  data non leggibile"},
        {"Two-digit year", "Maestra Anna (prestito di classe)  15/11/26", "data non leggibile"},
        {"Words", "Blu", "fine mese   data non leggibile"},
        {"Year first", "Blu", "2026-11-15  data non leggibile"},
        {"Borrower only", "Neri", "senza data"},
        {"No due date", "Viola", "senza scadenza: risulta disponibile"},
        {"Due long ago", "Verdi", "01/12/2024  scaduto da 104 giorni"},
    };
    // clang-format on
    for (const auto& m : marks) {
        const QString line = lineOf(m.title);
        QVERIFY2(line.contains(QString::fromUtf8(m.holds)) && line.endsWith(QString::fromUtf8(m.ends)),
            qPrintable(output + QStringLiteral(": ") + line));
        // Only lateness is marked "!".
        QCOMPARE(line.startsWith(QLatin1Char('!')), QByteArray(m.ends).contains("da "));
    }
    QVERIFY(log.entries.isEmpty());
}

void LoansTest::screenSaysWhichDatesCount()
{
    TestFolder folder;
    TfrmPrestiti screen;
    QCOMPARE(screen.windowTitle(), QStringLiteral(" Libri e DVD in prestito"));
    // clang-format off
    const QString expected[][2] = {
        {"lblRigo01", "Libri e DVD in prestito, dal più vecchio: per i libri conta la data del prestito, "
                      "per i DVD la data di restituzione."},
        {"lblRigo02", "Il segno \"!\" indica i libri prestati da troppi giorni e i DVD non restituiti entro la data "
                      "indicata; un DVD senza scadenza risulta disponibile."},
        {"lblGiorni", "Segnala i libri prestati da più di"},
    };
    // clang-format on
    for (const auto& [label, text] : expected)
        QCOMPARE(screen.control<QLabel>(label)->text(), text);
}

void LoansTest::doubleClickHandsTheCardToItsScreen()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    Screens::createAll();
    auto* menu = Screens::get(Screens::Id::Avvio);
    auto* dvdCard = static_cast<CardScreen*>(Screens::get(Screens::Id::DVD));
    menu->showScreen();

    QStringList shown;
    onNextModal<TfrmPrestiti>([&](TfrmPrestiti* screen) {
        shown = screen->lstPrestiti()->lines();
        screen->lstPrestiti()->selectRow(3); // "Due yesterday", the first DVD of its archive
        screen->lstPrestitiDblClick();
    });
    openLoansFromMenu(menu);

    // The command line's lines, fitted to the list.
    LoanList list;
    QVERIFY(list.load());
    list.arrange(Clock::today(), 30);
    QCOMPARE(shown.size(), cliLoans(folder).count(QLatin1Char('\n')));
    for (int i = 0; i < shown.size(); ++i)
        QCOMPARE(shown[i].left(16), list.lines()[i].left(16));
    QVERIFY(dvdCard->isVisible());
    QVERIFY(!menu->isVisible());
    // Shown first, then filled: the card screen's own clearing came before.
    QCOMPARE(Controls::text(dvdCard->control(QStringLiteral("txtTitolo"))), QStringLiteral("Due yesterday"));
    QCOMPARE(Controls::text(dvdCard->control(QStringLiteral("txtPrestato"))), QStringLiteral("Rossi"));
    QCOMPARE(dvdCard->lblPosizione()->text(), QStringLiteral("1"));
    QVERIFY(log.entries.isEmpty());

    // Leaving the card brings the overview back over the menu, so that the
    // next return needs no walk through the tools.
    bool back = false;
    onNextModal<TfrmPrestiti>([&](TfrmPrestiti* screen) {
        back = true;
        QCOMPARE(screen->lstPrestiti()->lines(), shown);
        screen->btnChiudiClick();
    });
    dvdCard->close();
    QVERIFY(menu->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(back, 5000);
    QVERIFY(!dvdCard->isVisible());

    // Chiudi hands nothing over.
    onNextModal<TfrmPrestiti>([](TfrmPrestiti* screen) { screen->btnChiudiClick(); });
    openLoansFromMenu(menu);
    QVERIFY(menu->isVisible());
    QVERIFY(!dvdCard->isVisible());
    Screens::destroyAll();
}

void LoansTest::daysAreKeptAndShared()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    QCOMPARE(LoanSettings::days(), LoanSettings::kDefaultDays);
    {
        TfrmPrestiti screen;
        screen.show();
        QCOMPARE(screen.txtGiorni()->value(), 30);
        screen.txtGiorni()->setValue(100); // only the DVDs stay late
        QCOMPARE(screen.control<QLabel>(QStringLiteral("lblTrovate"))->text(),
            QStringLiteral("Il presente elenco contiene 12 schede in prestito, 2 segnalate."));
        // Kept at once: the command line reads it while the screen is open.
        QCOMPARE(LoanSettings::days(), 100);
        QCOMPARE(cliLoans(folder).count(QLatin1Char('!')), 2);
        screen.close();
    }
    QCOMPARE(LoanSettings::days(), 100);
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("unins000.dll"))));
    // The command line reads the same setting unless told otherwise.
    QCOMPARE(cliLoans(folder).count(QLatin1Char('!')), 2);
    QCOMPARE(cliLoans(folder, {QStringLiteral("--days"), QStringLiteral("30")}).count(QLatin1Char('!')), 3);
    QCOMPARE(cliLoans(folder, {QStringLiteral("--days=30")}).count(QLatin1Char('!')), 3);
    QVERIFY(log.entries.isEmpty());
}

void LoansTest::daysThatCannotBeKeptAreSaidOnce()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    TfrmPrestiti screen;
    screen.show();
    {
        // A full disk: the settings file cannot be written.
        FileSizeLimit full(4);
        screen.txtGiorni()->setValue(45);
        screen.txtGiorni()->setValue(46);
    }
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.lastText(), Msg::accessMessage());
    QCOMPARE(LoanSettings::days(), LoanSettings::kDefaultDays);
    // The list follows the number all the same: only the DVDs stay late.
    QCOMPARE(screen.control<QLabel>(QStringLiteral("lblTrovate"))->text(),
        QStringLiteral("Il presente elenco contiene 12 schede in prestito, 2 segnalate."));
    // Once the disk has room again, the next change is kept.
    screen.txtGiorni()->setValue(47);
    QCOMPARE(LoanSettings::days(), 47);
    QCOMPARE(log.entries.size(), 1);
    screen.close();
}

void LoansTest::stampaPrintsTheListUnderItsTitle()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    QString title, name;
    QStringList lines;
    PrintDialog::setHandler([&](QPrinter&, const PreparedReport& report) {
        name = report.name;
        for (const PreparedPage& page : report.pages) {
            if (const PageItem* t = page.find(QStringLiteral("txtTitolo")))
                title = t->joined();
            for (const PageItem& item : page.items) {
                if (item.name == QLatin1String("txtRiepilogo"))
                    lines += item.lines();
            }
        }
        return false;
    });
    TfrmPrestiti screen;
    screen.show();
    QTest::mouseClick(screen.control(QStringLiteral("btnStampa")), Qt::LeftButton);
    PrintDialog::setHandler({});
    QCOMPARE(title, QStringLiteral("Prestiti in corso"));
    // Its own name, for the file a PDF is proposed as.
    QCOMPARE(name, QStringLiteral("Prestiti in corso"));
    QCOMPARE(lines.size(), 12 + TfrmPrestiti::kPrintFooterLines);
    QCOMPARE(lines, screen.printLines());
    screen.close();
}

QTEST_MAIN(LoansTest)
#include "test_loans.moc"
