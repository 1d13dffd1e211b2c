#include "TestSupport.h"

#include "ui/cards/CardBinder.h"
#include "core/text/Clock.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/shell/Screens.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmStampaLibro.h"
#include "ui/report/ListReport.h"
#include "ui/report/PreparedReport.h"
#include "ui/report/PrintDialog.h"
#include "ui/report/ReportUnits.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using ReportUnits::mm;

namespace {


// The sheet as the book card prints it: caption and card control, top down.
const QList<QPair<QString, QString>> kBookRows = {
    {QStringLiteral("Titolo libro:"), QStringLiteral("txtTitolo")},
    {QStringLiteral("Codice identificativo:"), QStringLiteral("txtCodice")},
    {QStringLiteral("Scaffale:"), QStringLiteral("txtScaffale")},
    {QStringLiteral("Autore:"), QStringLiteral("txtAutore")},
    {QStringLiteral("Nazione:"), QStringLiteral("txtNazione")},
    {QStringLiteral("Curatore:"), QStringLiteral("txtCuratore")},
    {QStringLiteral("Codice Dewey:"), QStringLiteral("txtDewey")},
    {QStringLiteral("Pagine:"), QStringLiteral("txtPagine")},
    {QStringLiteral("Genere:"), QStringLiteral("txtGenere")},
    {QStringLiteral("Giudizio:"), QStringLiteral("txtGiudizio")},
    {QStringLiteral("Casa editrice:"), QStringLiteral("txtEditore")},
    {QStringLiteral("ISBN:"), QStringLiteral("txtIsbn")},
    {QStringLiteral("Città pubblicazione:"), QStringLiteral("txtCitta")},
    {QStringLiteral("Anno pubblicazione:"), QStringLiteral("txtAnno")},
    {QStringLiteral("Volumi:"), QStringLiteral("txtVolumi")},
    {QStringLiteral("Prezzo:"), QStringLiteral("txtPrezzo")},
    {QStringLiteral("Collana:"), QStringLiteral("txtCollana")},
    {QStringLiteral("Formato:"), QStringLiteral("txtFormato")},
    {QStringLiteral("Titolo originale:"), QStringLiteral("txtOriginale")},
    {QStringLiteral("Lingua:"), QStringLiteral("txtLingua")},
    {QStringLiteral("Prima pubblicazione:"), QStringLiteral("txtPrima")},
    {QStringLiteral("Traduttore:"), QStringLiteral("txtTraduttore")},
    {QStringLiteral("Versione:"), QStringLiteral("txtVersione")},
    {QStringLiteral("Note:"), QStringLiteral("txtNote")},
    {QStringLiteral("Prestato a:"), QStringLiteral("txtPrestato")},
    {QStringLiteral("Data prestito:"), QStringLiteral("txtScadenza")},
};

// What each row's control holds in the filled card: blanks around short
// values, an accented one, and a "[DATE]" that must stay as typed.
QString typedValue(int row)
{
    switch (row) {
    case 0:
        return QStringLiteral(" \tIl barone rampante  ");
    case 12:
        return QStringLiteral("  Città di Castello");
    case 23:
        return QStringLiteral(" [DATE] ");
    default:
        return QStringLiteral(" %1 ").arg(row);
    }
}

const QDateTime kNow(QDate(2024, 3, 5), QTime(16, 42, 5));

// The footer up to the seconds; the regional long time may add a zone.
const QString kFooter = QStringLiteral("Stampa eseguita in data 05/03/2024 alle ore 16:42:05");

bool near(qreal a, qreal b)
{
    return qAbs(a - b) < 1e-3;
}

// The text of a PDF, pages separated by form feeds; empty without pdftotext.
QString pdfText(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cardSheet_data();
    void cardSheet();
    void cardPrintScreenCloses_data();
    void cardPrintScreenCloses();
    void failingPrinterKeepsScreen();
    void listPaginates_data();
    void listPaginates();
    void listToPdf();

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

void PrintingTest::cardSheet_data()
{
    QTest::addColumn<bool>("filled");
    QTest::newRow("filled card") << true;
    QTest::newRow("empty card") << false;
}

void PrintingTest::cardSheet()
{
    QFETCH(bool, filled);
    for (int i = 0; filled && i < kBookRows.size(); ++i)
        CardBinder::setText(Screens::frmLibri->control(kBookRows[i].second), typedValue(i));

    PrintLog log(false);
    QVERIFY(printFromCard(QStringLiteral("btnStampa")));
    QCOMPARE(log.offered.size(), 1);
    const PreparedReport& report = log.offered.first();
    QCOMPARE(report.name, QStringLiteral("Scheda Libro"));
    QCOMPARE(report.orientation, QPageLayout::Portrait);
    QVERIFY(near(report.size.width(), mm(210)) && near(report.size.height(), mm(297)));
    QCOMPARE(report.pages.size(), 1);
    const PreparedPage& page = report.pages.first();

    const PageItem* title = page.find(QStringLiteral("titArcataSup"));
    QVERIFY(title);
    QCOMPARE(title->joined(), QStringLiteral("SCHEDA INFORMATIVA LIBRO"));

    // Positions from the paper's corner: 10 mm margins, rows 5 mm apart.
    for (int i = 0; i < kBookRows.size(); ++i) {
        const auto& [caption, control] = kBookRows[i];
        const PageItem* cap = nullptr;
        const PageItem* value = page.find(control);
        for (const PageItem& item : page.items) {
            if (item.kind == PageItem::Kind::Text && item.joined() == caption)
                cap = &item;
        }
        QVERIFY2(cap, qPrintable(caption));
        QVERIFY2(value, qPrintable(control));
        QVERIFY2(near(cap->rect.top(), mm(17.5 + 5 * i)) && near(cap->rect.left(), mm(12)), qPrintable(caption));
        QVERIFY2(near(value->rect.top(), mm(17.5 + 5 * i)) && near(value->rect.left(), mm(54))
                && near(value->rect.width(), mm(144)),
            qPrintable(control));
        const QString expected = filled ? typedValue(i).trimmed() : QString();
        QCOMPARE(value->joined(), expected);
    }
    if (filled)
        QCOMPARE(page.find(QStringLiteral("txtNote"))->joined(), QStringLiteral("[DATE]"));

    const PageItem* calce = page.find(QStringLiteral("txtCalce"));
    QVERIFY(calce);
    QVERIFY2(calce->joined().startsWith(kFooter), qPrintable(calce->joined()));
    QVERIFY(near(calce->rect.top(), mm(150)));
    int boxes = 0;
    for (const PageItem& item : page.items)
        boxes += item.kind == PageItem::Kind::Rect && item.pen.isValid() && !item.fill.isValid();
    QCOMPARE(boxes, 26);
}

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

void PrintingTest::cardPrintScreenCloses()
{
    QFETCH(QString, button);
    QFETCH(bool, accept);
    QFETCH(int, offered);
    QFETCH(bool, printed);
    CardBinder::setText(Screens::frmLibri->control(QStringLiteral("txtTitolo")), QStringLiteral("Il sentiero dei nidi di ragno"));
    CardBinder::setText(Screens::frmLibri->control(QStringLiteral("txtNote")), QStringLiteral("[DATE]"));
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
    for (const QString& piece : {QStringLiteral("SCHEDA INFORMATIVA LIBRO"), QStringLiteral("Titolo libro:"),
             QStringLiteral("Il sentiero dei nidi di ragno"), QStringLiteral("Città pubblicazione:"),
             QStringLiteral("Data prestito:"), QStringLiteral("[DATE]"), kFooter})
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

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
