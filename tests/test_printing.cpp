#include "TestSupport.h"

#include "core/collections/Books.h"
#include "ui/shell/Controls.h"
#include "core/text/Clock.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "core/storage/Record.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmStampaLibro.h"
#include "ui/report/ListReport.h"
#include "print/report/PreparedReport.h"
#include "ui/report/PrintDialog.h"
#include "print/report/ReportUnits.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using ReportUnits::mm;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(16, 42, 5));

// The footer up to the seconds; the regional long time may add a zone.
const QString kFooter = QStringLiteral("Stampa eseguita in data 05/03/2024 alle ore 16:42:05");

bool near(qreal a, qreal b)
{
    return qAbs(a - b) < 1e-3;
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cardPrintScreenCloses_data();
    void cardPrintScreenCloses();
    void failingPrinterKeepsScreen();
    void listPaginates_data();
    void listPaginates();
    void listToPdf();
    void storedLineBreaksPrintOnOneLine_data();
    void storedLineBreaksPrintOnOneLine();

private:
    // Presses the book card's print command and, on the print screen, the
    // button `button`; returns whether the print screen closed by itself.
    bool printFromCard(const QString& button);

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
};

void PrintingTest::init()
{
    m_folder = new TestFolder;
    m_log = new MessageLog;
    Clock::setFixed(kNow);
    Screens::createAll();
    Screens::frmLibri->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(Screens::frmLibri));
}

void PrintingTest::cleanup()
{
    Screens::destroyAll();
    Clock::setFixed({});
    delete m_log;
    delete m_folder;
}

bool PrintingTest::printFromCard(const QString& button)
{
    bool closed = false;
    bool shown = false;
    onNextModal<TfrmStampaLibro>([&](TfrmStampaLibro* screen) {
        shown = true;
        QTest::mouseClick(screen->control<QPushButton>(button), Qt::LeftButton);
        closed = !screen->isVisible();
        if (!closed)
            screen->reject(); // not closed by itself: close it, so the test goes on
    });
    QTest::mouseClick(Screens::frmLibri->control(QStringLiteral("cmdStampa")), Qt::LeftButton);
    return shown && closed;
}

// clang-format off
void PrintingTest::cardPrintScreenCloses_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("offered");
    QTest::addColumn<bool>("printed");
    QTest::newRow("Stampa, dialog confirmed") << "btnStampa" << true << 1 << true;
    QTest::newRow("Stampa, dialog cancelled") << "btnStampa" << false << 1 << false;
    QTest::newRow("Annulla") << "btnAnnulla" << true << 0 << false;
}
// clang-format on

void PrintingTest::cardPrintScreenCloses()
{
    QFETCH(QString, button);
    QFETCH(bool, accept);
    QFETCH(int, offered);
    QFETCH(bool, printed);
    Controls::setText(Screens::frmLibri->control(QStringLiteral("txtTitolo")), QStringLiteral("Il sentiero dei nidi di ragno"));
    Controls::setText(Screens::frmLibri->control(QStringLiteral("txtNote")), QStringLiteral("[DATE]"));
    const QString pdf = m_folder->file(QStringLiteral("scheda.pdf"));

    PrintLog log(accept, pdf);
    QVERIFY(printFromCard(button));
    QCOMPARE(log.offered.size(), offered);
    QCOMPARE(QFile::exists(pdf), printed);
    QVERIFY(m_log->entries.isEmpty());
    if (!printed)
        return;
    const QString text = pdfText(pdf);
    if (text.isEmpty())
        QSKIP("pdftotext is not installed: the document's text cannot be read back");
    QCOMPARE(text.count(QLatin1Char('\f')), 1);
    for (const QString& piece :
        {QStringLiteral("SCHEDA INFORMATIVA LIBRO"), QStringLiteral("Titolo libro:"), QStringLiteral("Il sentiero dei nidi di ragno"),
            QStringLiteral("Città pubblicazione:"), QStringLiteral("Data prestito:"), QStringLiteral("[DATE]"), kFooter})
        QVERIFY2(text.contains(piece), qPrintable(piece));
}

void PrintingTest::failingPrinterKeepsScreen()
{
    PrintLog log(true, m_folder->file(QStringLiteral("missing/folder/scheda.pdf")));
    QVERIFY(!printFromCard(QStringLiteral("btnStampa")));
    QCOMPARE(log.offered.size(), 1);
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.first().kind, Msg::Kind::Error);
}

// clang-format off
void PrintingTest::listPaginates_data()
{
    // Landscape A4 with 10 mm margins holds 718.1 units: after the 8 mm
    // title 53 lines of 12.822 fit, then 56 a page; the 10-unit end of
    // the data band and the 8 mm footer follow the last line.
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("perPage");
    QTest::addColumn<int>("footerPage");
    QTest::newRow("empty") << 0 << QList<int>{0} << 0;
    QTest::newRow("footer still fits") << 50 << QList<int>{50} << 0;
    QTest::newRow("footer moves on") << 51 << QList<int>{51} << 1;
    QTest::newRow("first page full") << 53 << QList<int>{53} << 1;
    QTest::newRow("one line over") << 54 << QList<int>{53, 1} << 1;
    QTest::newRow("second page exactly full") << 109 << QList<int>{53, 56} << 2;
    QTest::newRow("three pages") << 150 << QList<int>{53, 56, 41} << 2;
}
// clang-format on

void PrintingTest::listPaginates()
{
    QFETCH(int, count);
    QFETCH(QList<int>, perPage);
    QFETCH(int, footerPage);
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("%1  riga della lista   ").arg(i + 1, 6, 10, QLatin1Char('0'));

    PrintLog log(false);
    ListReport::print(nullptr, QStringLiteral("Riepilogo libri in archivio"), lines);
    QCOMPARE(log.offered.size(), 1);
    const PreparedReport& report = log.offered.first();
    QCOMPARE(report.name, QStringLiteral("Riepilogo dati"));
    QCOMPARE(report.orientation, QPageLayout::Landscape);
    QCOMPARE(report.pages.size(), std::max<qsizetype>(perPage.size(), footerPage + 1));

    const qreal bottom = mm(200) + 1e-6;
    QStringList printed;
    for (int p = 0; p < report.pages.size(); ++p) {
        const PreparedPage& page = report.pages[p];
        const PageItem* titolo = page.find(QStringLiteral("txtTitolo"));
        QCOMPARE(titolo != nullptr, p == 0);
        const PageItem* data = page.find(QStringLiteral("txtRiepilogo"));
        const int onPage = data ? data->lineCount : 0;
        QCOMPARE(onPage, p < perPage.size() ? perPage[p] : 0);
        if (data) {
            printed += data->lines();
            QVERIFY(data->linesTop + onPage * ListReport::kLineHeight <= bottom);
            QVERIFY(near(data->linesTop, p == 0 ? mm(18) : mm(10)));
        }
        const PageItem* pagina = page.find(QStringLiteral("txtPagina"));
        QCOMPARE(pagina != nullptr, p == footerPage);
        if (pagina) {
            QCOMPARE(pagina->joined(), QStringLiteral("Stampa eseguita in data 05/03/2024"));
            QVERIFY(pagina->rect.bottom() <= bottom);
            // The data band ends 10 units after its last line, the footer text 2 mm into the footer.
            if (p == perPage.size() - 1)
                QVERIFY(near(pagina->rect.top(), data->linesTop + onPage * ListReport::kLineHeight + 10 + mm(2)));
        }
    }
    QCOMPARE(printed, lines);
    QCOMPARE(report.pages.first().find(QStringLiteral("txtTitolo"))->joined(), QStringLiteral("Riepilogo libri in archivio"));
}

void PrintingTest::listToPdf()
{
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines << QStringLiteral("RIGA%1").arg(i + 1, 4, 10, QLatin1Char('0')) + QString(140, QLatin1Char('.')) + QStringLiteral("FINE");
    const QString pdf = m_folder->file(QStringLiteral("lista.pdf"));
    PrintLog log(true, pdf);
    ListReport::print(nullptr, QStringLiteral("Riepilogo libri in archivio"), lines);
    QVERIFY(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    if (text.isEmpty())
        QSKIP("pdftotext is not installed: the document's text cannot be read back");
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), 3);
    QVERIFY(pages[0].contains(QStringLiteral("Riepilogo libri in archivio")));
    QVERIFY(pages[2].contains(QStringLiteral("Stampa eseguita in data 05/03/2024")));
    // Every line whole (no line cut at its right end) and in order.
    qsizetype at = 0;
    for (const QString& line : lines) {
        at = text.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(line));
    }
}

// clang-format off
void PrintingTest::storedLineBreaksPrintOnOneLine_data()
{
    QTest::addColumn<bool>("sheet"); // the book sheet, or a printed list
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("printed");
    QTest::newRow("sheet, CR LF") << true << "prima riga\r\nseconda riga" << "prima riga seconda riga";
    QTest::newRow("sheet, LF, CR and an empty line") << true << "a\nb\rc\r\n\r\nd" << "a b c  d";
    QTest::newRow("list, CR LF") << false << "Cod. B01  prima\r\nseconda" << "Cod. B01  prima seconda";
    QTest::newRow("list, LF") << false << "uno\ndue" << "uno due";
}
// clang-format on

void PrintingTest::storedLineBreaksPrintOnOneLine()
{
    QFETCH(bool, sheet);
    QFETCH(QString, stored);
    QFETCH(QString, printed);
    PrintLog log(false);
    if (!sheet) {
        ListReport::print(nullptr, QStringLiteral("Riepilogo libri in archivio"), {stored, QStringLiteral("dopo")});
        QCOMPARE(log.offered.size(), 1);
        const PageItem* data = log.offered.first().pages.first().find(QStringLiteral("txtRiepilogo"));
        QVERIFY(data);
        QCOMPARE(data->lines(), (QStringList{printed, QStringLiteral("dopo")}));
        return;
    }
    // An imported card whose note and title hold line breaks.
    Record r(TSchedaLibro);
    r.setText("Titolo", stored);
    r.setText("Codice", QStringLiteral("B01"));
    r.setText("Autore", QStringLiteral("Rossi"));
    r.setText("Note", stored);
    r.setText("Annullata", QStringLiteral("No"));
    m_folder->write(QStringLiteral("Libri.pro"), r.bytes());
    QTest::mouseClick(Screens::frmLibri->control(QStringLiteral("cmdPrimo")), Qt::LeftButton);
    QVERIFY(printFromCard(QStringLiteral("btnStampa")));
    QCOMPARE(log.offered.size(), 1);
    const PreparedPage& page = log.offered.first().pages.first();
    for (const QString& name : {QStringLiteral("txtTitolo"), QStringLiteral("txtNote")}) {
        const PageItem* value = page.find(name);
        QVERIFY2(value, qPrintable(name));
        QCOMPARE(value->lines(), QStringList{printed});
        // The card keeps the stored value as it is.
        QCOMPARE(Controls::text(Screens::frmLibri->control(name)), stored);
    }
    QCOMPARE(m_folder->read(QStringLiteral("Libri.pro")), r.bytes());
}

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
