#include "TestSupport.h"

#include "core/collections/Books.h"
#include "ui/cards/LineList.h"
#include "ui/cards/QuickFind.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmTrovaDisponibili.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "print/report/PreparedReport.h"
#include "ui/report/PrintDialog.h"
#include "core/search/ResultLines.h"
#include "core/search/Search.h"
#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/storage/Record.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

using Fields = QList<QPair<QString, QString>>;

// A stored book card; "Annullata" is "No" unless the fields say otherwise.
QByteArray book(const Fields& fields)
{
    Record r(TSchedaLibro);
    r.setText("Annullata", QStringLiteral("No"));
    for (const auto& [field, value] : fields)
        r.setText(field.toStdString(), value);
    return r.bytes();
}

QByteArray archive(const QList<QByteArray>& cards)
{
    QByteArray all;
    for (const QByteArray& c : cards)
        all += c;
    return all;
}

QString codeOf(const QString& line)
{
    return line.mid(5, 24).trimmed();
}

QStringList codesOf(const QStringList& lines)
{
    QStringList codes;
    for (const QString& l : lines)
        codes << codeOf(l);
    return codes;
}

// Cards that exercise the matching rules: case folding, accents, blanks,
// cancelled and odd flags, loans.
QByteArray matchingFixture()
{
    return archive({
        book({{"Codice", "B01"}, {"Titolo", "La città invisibile"}, {"Autore", "ROSSI MARIO"}}),
        book({{"Codice", "B02"}, {"Titolo", "LA CITTÀ DEL SOLE"}, {"Autore", "Rossi Anna"}}),
        book({{"Codice", "B03"}, {"Titolo", "Storia"}, {"Autore", "De Rossi Carlo"}, {"Prestato", "Bianchi Luca"}}),
        book({{"Codice", "B04"}, {"Titolo", "Storia antica"}, {"Autore", "Verdi"}, {"Scadenza", "01/02/2024"}}),
        book({{"Codice", "B05"}, {"Titolo", "Cancellato"}, {"Autore", "Rossi"}, {"Annullata", "Sì"}}),
        book({{"Codice", "B06"}, {"Titolo", "Senza flag"}, {"Autore", "Rossi"}, {"Annullata", ""}}),
        book({{"Codice", "B07"}, {"Titolo", "Flag minuscolo"}, {"Autore", "Rossi"}, {"Annullata", "no"}}),
        book({{"Codice", "B08"}, {"Titolo", "Domande"}, {"Autore", "Neri"}, {"Note", "nota ?"}}),
    });
}

const QString kCounted = QStringLiteral("Il presente riepilogo contiene %1 schede.");

} // namespace

class BookSearchTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The engine, as the screens and the command line use it.
    void filtersAndSkipRule_data();
    void filtersAndSkipRule();
    void listOrder();

    // The screens, through real widgets.
    void searchSwitchesToResults();
    void missingArchiveIsCreatedEmpty();
    void unreadableArchiveKeepsFilterPanel();
    void waitLabelGoesOnEveryWayOut_data();
    void waitLabelGoesOnEveryWayOut();
    void enterChainAndHighlights();
    void quickFindWalksAndWraps();
    void quickFindOnEmptyList();
    void doubleClickWithWrongTagOrNoSelection();
    void bookCardOpensBothSearches();
    void stampaPrintsEveryLineUnderTheTitle();

private:
    QStringList run(const SearchTable& table, const Fields& filters);
    void showSearch(TfrmTrova& screen);
    void cerca(TfrmTrova& screen);

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
};

void BookSearchTest::init()
{
    m_folder = new TestFolder;
    m_log = new MessageLog;
    Screens::createAll();
}

void BookSearchTest::cleanup()
{
    Screens::destroyAll();
    delete m_log;
    delete m_folder;
}

QStringList BookSearchTest::run(const SearchTable& table, const Fields& filters)
{
    Search search(table);
    for (const auto& [field, text] : filters) {
        if (!search.setFilter(field.toStdString(), text))
            qFatal("no filter on %s", qPrintable(field));
    }
    QStringList lines;
    if (!search.run(m_folder->file("Libri.pro"), lines))
        qFatal("search failed");
    return lines;
}

void BookSearchTest::showSearch(TfrmTrova& screen)
{
    screen.setCallerTag(QStringLiteral("libri"));
    screen.show();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
}

void BookSearchTest::cerca(TfrmTrova& screen)
{
    QTest::mouseClick(screen.control(QStringLiteral("btnCerca")), Qt::LeftButton);
}

// clang-format off
void BookSearchTest::filtersAndSkipRule_data()
{
    QTest::addColumn<bool>("available");
    QTest::addColumn<Fields>("filters");
    QTest::addColumn<QStringList>("codes");

    const QStringList notCancelled{"B01", "B02", "B03", "B04", "B08"};
    QTest::newRow("no filter: every card flagged No") << false << Fields{} << notCancelled;
    QTest::newRow("blank filters are not in use") << false << Fields{{"Titolo", "   "}, {"Autore", "\t "}} << notCancelled;
    QTest::newRow("A-Z case ignored") << false << Fields{{"autore", "rossi"}} << QStringList{"B01", "B02", "B03"};
    QTest::newRow("leading blank kept") << false << Fields{{"Autore", " rossi"}} << QStringList{"B03"};
    QTest::newRow("trailing blank kept") << false << Fields{{"Autore", "verdi "}} << QStringList{};
    QTest::newRow("accented letters match exactly") << false << Fields{{"Titolo", "città"}} << QStringList{"B01"};
    QTest::newRow("accented capital") << false << Fields{{"Titolo", "CITTÀ"}} << QStringList{"B02"};
    QTest::newRow("one contiguous piece") << false << Fields{{"Titolo", "la città"}} << QStringList{"B01"};
    QTest::newRow("words apart do not match") << false << Fields{{"Titolo", "la sole"}} << QStringList{};
    QTest::newRow("every filter in use must match") << false << Fields{{"Autore", "rossi"}, {"Titolo", "sole"}} << QStringList{"B02"};
    QTest::newRow("a character outside the code page matches nothing")
        << false << Fields{{"Note", "nota \u2713"}} << QStringList{};
    QTest::newRow("cancelled and odd flags never listed") << false << Fields{{"Autore", "rossi"}, {"Titolo", "a"}}
                                                          << QStringList{"B01", "B02", "B03"};
    QTest::newRow("available: no borrower and no loan date") << true << Fields{} << QStringList{"B01", "B02", "B08"};
    QTest::newRow("available with a filter") << true << Fields{{"Titolo", "storia"}} << QStringList{};
}
// clang-format on

void BookSearchTest::filtersAndSkipRule()
{
    QFETCH(bool, available);
    QFETCH(Fields, filters);
    QFETCH(QStringList, codes);
    m_folder->write("Libri.pro", matchingFixture());
    QCOMPARE(codesOf(run(available ? Books::available() : Books::search(), filters)), codes);
}

void BookSearchTest::listOrder()
{
    m_folder->write("Libri.pro",
        archive({
            book({{"Codice", "b2"}}),
            book({{"Codice", "A1"}}),
            book({{"Codice", "_x"}}),
            book({{"Codice", "a1"}}),
            book({{"Codice", "a10"}}),
            book({{"Codice", "a"}}),
            book({{"Codice", "Z9"}}),
        }));
    // a-z read as A-Z (so "a1" sorts with "A1" and before "_"), equal lines
    // in archive order, a shorter code first.
    QCOMPARE(codesOf(run(Books::search(), {})), (QStringList{"a", "A1", "a1", "a10", "b2", "Z9", "_x"}));

    QVERIFY(ResultLines::lessThan("Cod. AB", "Cod. ABC"));
    QVERIFY(!ResultLines::lessThan("Cod. ABC", "Cod. AB"));
    QVERIFY(!ResultLines::lessThan("cod. ab", "COD. AB") && !ResultLines::lessThan("COD. AB", "cod. ab"));
    QVERIFY(ResultLines::lessThan("Z", "_"));
}

void BookSearchTest::searchSwitchesToResults()
{
    m_folder->write("Libri.pro", matchingFixture());
    TfrmTrovaLibri screen(Screens::frmLibri);
    showSearch(screen);
    QCOMPARE(screen.windowTitle(), QStringLiteral(" Trova libri in archivio"));
    QVERIFY(screen.control("panAvvio")->isVisible());
    QVERIFY(!screen.panContainer()->isVisible());
    QCOMPARE(QApplication::focusWidget(), screen.control("txtTitolo"));

    QTest::keyClicks(screen.control("txtTitolo"), QStringLiteral("sole"));
    screen.control<QLineEdit>("txtGenere")->setText(QStringLiteral("  "));
    QWidget* btnCerca = screen.control("btnCerca");
    QTest::mousePress(btnCerca, Qt::LeftButton);
    QVERIFY(screen.control("lblAttendere")->isVisible());
    QTest::mouseRelease(btnCerca, Qt::LeftButton);

    QVERIFY(!screen.control("panAvvio")->isVisible());
    QVERIFY(screen.panContainer()->isVisible());
    QCOMPARE(screen.control<QLabel>("lblConta")->text(), QStringLiteral("1"));
    QCOMPARE(screen.control<QLabel>("lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 1 scheda."));
    QCOMPARE(codesOf(screen.lstRecords()->lines()), QStringList{"B02"});
    QCOMPARE(QApplication::focusWidget(), screen.control("txtTrova"));
    QVERIFY(m_log->entries.isEmpty());

    screen.control<QPushButton>("btnChiudi")->click();
    QVERIFY(!screen.isVisible());
    QCOMPARE(screen.lstRecords()->count(), 0);
    QVERIFY(!screen.control("lblAttendere")->isVisibleTo(&screen));
}

void BookSearchTest::missingArchiveIsCreatedEmpty()
{
    QVERIFY(!QFile::exists(m_folder->file("Libri.pro")));
    TfrmTrovaDisponibili screen(Screens::frmLibri);
    showSearch(screen);
    cerca(screen);
    QVERIFY(QFile::exists(m_folder->file("Libri.pro")));
    QCOMPARE(m_folder->read("Libri.pro").size(), 0);
    QCOMPARE(screen.control<QLabel>("lblTrovate")->text(), kCounted.arg(0));
    QCOMPARE(screen.control<QLabel>("lblConta")->text(), QStringLiteral("0"));
}

void BookSearchTest::unreadableArchiveKeepsFilterPanel()
{
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Libri.pro")));
    TfrmTrovaLibri screen(Screens::frmLibri);
    showSearch(screen);
    screen.control<QLineEdit>("txtAutore")->setText(QStringLiteral(" rossi "));
    cerca(screen);
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Plain);
    QCOMPARE(m_log->lastText(),
        QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                       "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma."));
    QVERIFY(screen.control("panAvvio")->isVisible());
    QVERIFY(!screen.panContainer()->isVisible());
    QCOMPARE(screen.control<QLineEdit>("txtAutore")->text(), QStringLiteral(" rossi "));
    // Cerca pressed from the keyboard fails the same way.
    screen.control("btnCerca")->setFocus();
    QTest::keyClick(screen.control("btnCerca"), Qt::Key_Space);
    QCOMPARE(m_log->entries.size(), 2);
    QVERIFY(!screen.control("lblAttendere")->isVisible());
}

// clang-format off
void BookSearchTest::waitLabelGoesOnEveryWayOut_data()
{
    QTest::addColumn<bool>("folder");   // the archive is a folder: the search fails
    QTest::addColumn<bool>("offButton"); // the press ends off the button: no search
    QTest::addColumn<int>("messages");
    QTest::newRow("search fails") << true << false << 1;
    QTest::newRow("search succeeds") << false << false << 0;
    QTest::newRow("press released off the button") << false << true << 0;
}
// clang-format on

void BookSearchTest::waitLabelGoesOnEveryWayOut()
{
    QFETCH(bool, folder);
    QFETCH(bool, offButton);
    QFETCH(int, messages);
    if (folder)
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Libri.pro")));
    TfrmTrovaLibri screen(Screens::frmLibri);
    showSearch(screen);
    QWidget* wait = screen.control("lblAttendere");
    // Whether the label still shows while the failure's message is up.
    bool waitShownWithMessage = false;
    Msg::setHandler([&](Msg::Kind kind, const QString& text) {
        waitShownWithMessage = wait->isVisibleTo(&screen);
        m_log->entries.append({kind, text});
        return true;
    });
    QWidget* btnCerca = screen.control("btnCerca");
    QTest::mousePress(btnCerca, Qt::LeftButton);
    QVERIFY(wait->isVisible());
    QTest::mouseRelease(btnCerca, Qt::LeftButton, {}, offButton ? QPoint(-20, -20) : QPoint());
    Msg::setHandler([log = m_log](Msg::Kind kind, const QString& text) {
        log->entries.append({kind, text});
        return true;
    });
    QCOMPARE(m_log->entries.size(), messages);
    QVERIFY(!waitShownWithMessage);
    QVERIFY(!wait->isVisibleTo(&screen));
    QCOMPARE(screen.control("panAvvio")->isVisible(), folder || offButton);
}

void BookSearchTest::enterChainAndHighlights()
{
    TfrmTrovaLibri screen(Screens::frmLibri);
    showSearch(screen);
    const QStringList chain{"txtTitolo", "txtCodice", "txtAutore", "txtCuratore", "txtGenere", "txtEditore", "txtIsbn", "txtLingua",
        "txtDewey", "txtNote", "txtTitolo"};
    for (int i = 0; i + 1 < chain.size(); ++i) {
        QWidget* field = screen.control(chain[i]);
        QWidget* highlight = screen.control(QStringLiteral("eff") + chain[i].mid(3));
        QCOMPARE(QApplication::focusWidget(), field);
        QVERIFY(highlight->isVisible());
        QCOMPARE(highlight->geometry(), field->geometry().adjusted(-4, -4, 4, 4));
        pressEnter(field);
        QCOMPARE(QApplication::focusWidget(), screen.control(chain[i + 1]));
        QVERIFY(!highlight->isVisible());
    }
    QCOMPARE(screen.control<QLineEdit>("txtDewey")->maxLength(), 3);
    QCOMPARE(screen.control<QLineEdit>("txtCodice")->maxLength(), 24);

    cerca(screen);
    QVERIFY(!screen.control("effTrova"));
    pressEnter(screen.control("txtTrova"));
    QCOMPARE(QApplication::focusWidget(), screen.control("btnTrova"));
    // A second Enter runs Trova, which finds the list empty.
    QVERIFY(m_log->entries.isEmpty());
    pressEnter(screen.control("btnTrova"));
    QCOMPARE(m_log->lastText(), QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
}

void BookSearchTest::quickFindWalksAndWraps()
{
    m_folder->write("Libri.pro",
        archive({
            book({{"Codice", "D"}, {"Autore", "Bianchi"}}),
            book({{"Codice", "C"}, {"Autore", "ROSSI"}}),
            book({{"Codice", "B"}, {"Autore", "Verdi"}}),
            book({{"Codice", "A"}, {"Autore", "Rossi"}}),
        }));
    for (int opening = 0; opening < 2; ++opening) {
        TfrmTrovaLibri screen(Screens::frmLibri);
        showSearch(screen);
        cerca(screen);
        LineList* list = screen.lstRecords();
        auto* txtTrova = screen.control<QLineEdit>("txtTrova");
        auto trova = [&](const QString& text) {
            txtTrova->setText(text);
            QTest::mouseClick(screen.control("btnTrova"), Qt::LeftButton);
            return list->selectedRow();
        };
        QCOMPARE(list->selectedRow(), -1);
        if (opening == 0) {
            QCOMPARE(trova(QString()), 0); // only selects the first line
            QCOMPARE(trova(QStringLiteral("ROSSI")), 0);
            QCOMPARE(trova(QStringLiteral("ROSSI")), 2);
            QCOMPARE(trova(QStringLiteral("rossi")), 0); // wrapped round
            QCOMPARE(trova(QStringLiteral("verdi")), 1);
            QCOMPARE(trova(QStringLiteral("verdi")), 1);   // the only match
            QCOMPARE(trova(QStringLiteral("gialli")), 1);  // no match: unchanged
            QCOMPARE(trova(QStringLiteral("cod. c ")), 2); // the whole line is searched
            QCOMPARE(trova(QStringLiteral("rossi")), 0);
            screen.close();
        } else {
            // The last text is emptied on show: "rossi" starts from the top.
            QCOMPARE(trova(QStringLiteral("rossi")), 0);
        }
    }
    QVERIFY(m_log->entries.isEmpty());
}

void BookSearchTest::quickFindOnEmptyList()
{
    TfrmTrovaLibri screen(Screens::frmLibri);
    showSearch(screen);
    cerca(screen);
    screen.control<QLineEdit>("txtTrova")->setText(QStringLiteral("x"));
    QTest::mouseClick(screen.control("btnTrova"), Qt::LeftButton);
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Plain);
    QCOMPARE(m_log->lastText(), QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
    QCOMPARE(m_log->lastText(), QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
}

void BookSearchTest::doubleClickWithWrongTagOrNoSelection()
{
    m_folder->write("Libri.pro", book({{"Codice", "A"}, {"Titolo", "Uno"}}));
    TfrmLibri* card = Screens::frmLibri;
    for (const bool wrongTag : {true, false}) {
        TfrmTrovaLibri screen(card);
        showSearch(screen);
        cerca(screen);
        LineList* list = screen.lstRecords();
        if (wrongTag) {
            // On the line itself, with a tag that is not "libri".
            screen.setCallerTag(QStringLiteral("dvd"));
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        } else {
            // Below the lines, with none selected.
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 200));
        }
        QVERIFY(!screen.isVisible());
        QVERIFY(card->lblPosizione()->text().isEmpty());
        QVERIFY(card->control<QLineEdit>("txtTitolo")->text().isEmpty());
    }
    QVERIFY(m_log->entries.isEmpty());
}

void BookSearchTest::bookCardOpensBothSearches()
{
    m_folder->write("Libri.pro",
        archive({book({{"Codice", "A"}, {"Titolo", "Prestato"}, {"Prestato", "Neri"}}), book({{"Codice", "B"}, {"Titolo", "Libero"}})}));
    TfrmLibri* card = Screens::frmLibri;
    card->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(card));

    QString caption;
    onNextModal<TfrmTrovaDisponibili>([&](TfrmTrovaDisponibili* screen) {
        caption = screen->windowTitle();
        QTest::mouseClick(screen->control("btnCerca"), Qt::LeftButton);
        screen->lstRecords()->selectRow(0);
        screen->lstRecordsDblClick();
    });
    QTest::mouseClick(card->control("cmdDisponibili"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral(" Trova libri disponibili per il prestito"));
    QCOMPARE(card->control<QLineEdit>("txtTitolo")->text(), QStringLiteral("Libero"));
    QCOMPARE(card->lblPosizione()->text(), QStringLiteral("2"));

    onNextModal<TfrmTrovaLibri>([&](TfrmTrovaLibri* screen) {
        caption = screen->windowTitle();
        screen->control<QLineEdit>("txtTitolo")->setText(QStringLiteral("prestato"));
        QTest::mouseClick(screen->control("btnCerca"), Qt::LeftButton);
        screen->lstRecords()->selectRow(0);
        screen->lstRecordsDblClick();
    });
    QTest::mouseClick(card->control("cmdTrova"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral(" Trova libri in archivio"));
    QCOMPARE(card->control<QLineEdit>("txtPrestato")->text(), QStringLiteral("Neri"));
    QCOMPARE(card->lblPosizione()->text(), QStringLiteral("1"));
    QVERIFY(card->findChildren<TfrmTrova*>().isEmpty()); // destroyed after closing
}

void BookSearchTest::stampaPrintsEveryLineUnderTheTitle()
{
    m_folder->write("Libri.pro",
        archive(
            {book({{"Codice", "B"}, {"Titolo", "Secondo"}}), book({{"Codice", "A"}, {"Titolo", "Primo"}, {"Scadenza", "01/01/2024"}})}));
    struct Printed {
        QString title;
        QStringList lines;
    } printed;
    PrintDialog::setHandler([&](QPrinter&, const PreparedReport& report) {
        for (const PreparedPage& page : report.pages) {
            if (const PageItem* title = page.find(QStringLiteral("txtTitolo")))
                printed.title = title->joined();
            for (const PageItem& item : page.items) {
                if (item.name == QLatin1String("txtRiepilogo"))
                    printed.lines += item.lines();
            }
        }
        return false;
    });
    for (const bool available : {false, true}) {
        printed = {};
        std::unique_ptr<TfrmTrova> screen;
        if (available)
            screen = std::make_unique<TfrmTrovaDisponibili>(Screens::frmLibri);
        else
            screen = std::make_unique<TfrmTrovaLibri>(Screens::frmLibri);
        showSearch(*screen);
        cerca(*screen);
        screen->lstRecords()->selectRow(screen->lstRecords()->count() - 1);
        QTest::mouseClick(screen->control("btnStampa"), Qt::LeftButton);
        QCOMPARE(printed.title,
            available ? QStringLiteral("Riepilogo libri disponibili per il prestito") : QStringLiteral("Riepilogo libri in archivio"));
        // Every line in list order, whatever the selection, unchanged.
        QCOMPARE(printed.lines, screen->lstRecords()->lines());
        QCOMPARE(printed.lines.size(), available ? 1 : 2);
        QVERIFY(screen->isVisible());
    }
    PrintDialog::setHandler({});
}

QTEST_MAIN(BookSearchTest)
#include "test_book_search.moc"
