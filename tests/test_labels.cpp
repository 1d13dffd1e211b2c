#include "LabelFixtures.h"
#include "TestSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/collections/Collection.h"
#include "core/labels/Code128.h"
#include "core/collections/CodeHints.h"
#include "core/labels/LabelCards.h"
#include "core/labels/LabelScan.h"
#include "core/labels/LabelSheet.h"
#include "core/loans/LoanList.h"
#include "core/search/Search.h"
#include "core/stats/CollectionStats.h"
#include "core/labels/TextFit.h"
#include "core/storage/Record.h"
#include "ui/books/TfrmLibri.h"
#include "ui/dvd/TfrmDVD.h"
#include "ui/registry/Screens.h"
#include "print/labels/LabelReport.h"
#include "ui/labels/TfrmEtichette.h"
#include "print/report/ReportFonts.h"
#include "print/report/ReportUnits.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QDoubleSpinBox>
#include <QFontMetricsF>
#include <QImage>
#include <QTest>

#include <algorithm>

using namespace LabelFixtures;

namespace {

using ReportUnits::kPerMm;

// `count` books coded LIB-00001, LIB-00002, ... with titles of growing length.
QByteArray numberedBooks(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        Book b;
        b.code = QStringLiteral("LIB-%1").arg(i, 5, 10, QLatin1Char('0'));
        b.title = QStringLiteral("Il nome della rosa, volume %1 di una lunga serie di romanzi").arg(i).left(10 + i % 60);
        b.author = i % 2 ? QStringLiteral("Eco, Umberto") : QStringLiteral("Italo Calvino");
        b.shelf = QStringLiteral("Sala %1").arg(QChar(u'A' + i % 3));
        bytes += bookRecord(b);
    }
    return bytes;
}

QStringList numberedCodes(int count)
{
    QStringList codes;
    for (int i = 1; i <= count; ++i)
        codes << QStringLiteral("LIB-%1").arg(i, 5, 10, QLatin1Char('0'));
    return codes;
}

QList<QRectF> labelRects(const PreparedPage& page)
{
    QList<QRectF> rects;
    for (const PageItem& item : page.items) {
        if (item.name == LabelReport::kLabel)
            rects << QRectF(item.rect.x() / kPerMm, item.rect.y() / kPerMm, item.rect.width() / kPerMm, item.rect.height() / kPerMm);
    }
    return rects;
}

bool near(const QRectF& a, const QRectF& b)
{
    constexpr double kMm = 0.01;
    return std::abs(a.x() - b.x()) < kMm && std::abs(a.y() - b.y()) < kMm && std::abs(a.width() - b.width()) < kMm
        && std::abs(a.height() - b.height()) < kMm;
}

QString show(const QRectF& r)
{
    return QStringLiteral("(%1, %2, %3 x %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Runs a program to its end, or fails the test after a minute.
struct Run {
    bool finished = false;
    int code = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    Run r;
    r.finished = p.waitForStarted(30000) && p.waitForFinished(120000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every sheet of a label report, made one by one as printing makes them.
QList<PreparedPage> allPages(const PreparedReport& report)
{
    QList<PreparedPage> pages;
    for (int i = 0; i < report.pageCount(); ++i)
        pages << report.page(i);
    return pages;
}

// Every barcode a reader finds in the pages of `pdf`, sorted, turned into
// pictures at 300 dpi as a printer would print them.
QStringList readBarcodes(const QString& pdf, const QString& work, int* pages = nullptr)
{
    const QString stem = work + QStringLiteral("page");
    const Run raster = run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), QStringLiteral("-png"), pdf, stem});
    if (!raster.finished || raster.code != 0)
        return {QStringLiteral("pdftoppm failed: ") + raster.err};
    const QStringList images = QDir(work).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    if (pages)
        *pages = int(images.size());
    QStringList codes;
    for (const QString& image : images) {
        const Run read = run(QStringLiteral("zbarimg"),
            {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sdisable"), QStringLiteral("-Scode128.enable"), work + image});
        if (!read.finished)
            return {QStringLiteral("zbarimg hung")};
        codes += read.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

QString cliProgram()
{
    return QStringLiteral(TOMARIA_CLI);
}

} // namespace

class LabelsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void presetGeometry_data();
    void presetGeometry();
    void customGridKeptInSettings();
    void textFit_data();
    void textFit();
    void cutTextStaysInsideItsLabel_data();
    void cutTextStaysInsideItsLabel();
    void spineShowsCallNumber_data();
    void spineShowsCallNumber();
    void dvdLabelsAndHintsUseTheirOwnFields();
    void previewDrawnToScale();
    void code128ReadBackFromPage_data();
    void code128ReadBackFromPage();
    void cardHints_data();
    void cardHints();
    void screenPrintsWhatItPreviews();
    void screenKeepsItsCustomGrid();
    void cliWritesReadableSheets_data();
    void cliWritesReadableSheets();
    void labelsThatWillNotScan_data();
    void labelsThatWillNotScan();
    void screenListsLabelsThatWillNotScan();
    void screenWordsFollowTheChoice();
    void cliRefusesBadArguments_data();
    void cliRefusesBadArguments();
};

void LabelsTest::initTestCase()
{
    ReportFonts::ensureSubstitutes();
}

// clang-format off
void LabelsTest::presetGeometry_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QRectF>("first"); // mm, on the first page
    QTest::addColumn<QRectF>("last");  // mm, on the last page
    QTest::newRow("3x8 from label 5") << "3x8" << 5 << 100 << 5 << QRectF(70, 37.5, 70, 37) << QRectF(70, 74.5, 70, 37);
    QTest::newRow("3x7 one full sheet") << "3x7" << 1 << 21 << 1 << QRectF(0, 0.45, 70, 42.3) << QRectF(140, 254.25, 70, 42.3);
    QTest::newRow("4x10 last label, then a new sheet") << "4x10" << 40 << 2 << 2 << QRectF(157.5, 267.3, 52.5, 29.7)
                                                       << QRectF(0, 0, 52.5, 29.7);
    QTest::newRow("2x8 from label 3") << "2x8" << 3 << 3 << 1 << QRectF(0, 37.5, 105, 37) << QRectF(0, 74.5, 105, 37);
    QTest::newRow("65 on its last label") << "65" << 65 << 1 << 1 << QRectF(167.1, 265.1, 38.1, 21.2)
                                          << QRectF(167.1, 265.1, 38.1, 21.2);
    QTest::newRow("65 across a sheet") << "65" << 60 << 10 << 2 << QRectF(4.7 + 4 * 40.6, 10.7 + 11 * 21.2, 38.1, 21.2)
                                       << QRectF(4.7 + 3 * 40.6, 10.7, 38.1, 21.2);
}
// clang-format on

void LabelsTest::presetGeometry()
{
    QFETCH(QString, sheet);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, pages);
    QFETCH(QRectF, first);
    QFETCH(QRectF, last);
    const LabelSheet* preset = LabelSheet::find(sheet);
    QVERIFY(preset);
    QVERIFY2(preset->fault().isEmpty(), qPrintable(preset->fault()));
    QList<LabelCard> cards(count);
    for (int i = 0; i < count; ++i)
        cards[i] = {i + 1, QStringLiteral("C%1").arg(i + 1), QStringLiteral("T"), QStringLiteral("Eco"), QString(), QString()};
    for (const auto kind : {LabelReport::Kind::Spine, LabelReport::Kind::Barcode}) {
        const PreparedReport report = LabelReport::prepare(cards, {kind, *preset, start, {}});
        QCOMPARE(report.pageCount(), pages);
        QCOMPARE(LabelReport::sheetsFor(count, *preset, start), pages);
        const QList<QRectF> firstPage = labelRects(report.page(0));
        const QList<QRectF> lastPage = labelRects(report.page(report.pageCount() - 1));
        QVERIFY2(near(firstPage.first(), first), qPrintable(show(firstPage.first())));
        QVERIFY2(near(lastPage.last(), last), qPrintable(show(lastPage.last())));
        int total = 0;
        for (const PreparedPage& page : allPages(report)) {
            const QList<QRectF> rects = labelRects(page);
            total += int(rects.size());
            for (const QRectF& r : rects)
                QVERIFY2(QRectF(0, 0, 210.001, 297.001).contains(r), qPrintable(show(r)));
        }
        QCOMPARE(total, count);
    }
}

void LabelsTest::customGridKeptInSettings()
{
    TestFolder folder;
    folder.write("Tomaria.ini", "[Prestiti]\r\nGiorni=45\r\n");
    LabelSheet grid = *LabelSheet::find(QStringLiteral("3x8"));
    grid.columns = 2;
    grid.rows = 5;
    grid.left = 12.5;
    grid.top = 20.25;
    grid.pitchX = 95;
    grid.pitchY = 50;
    grid.width = 90;
    grid.height = 48;
    QVERIFY(LabelSettings::save(grid, LabelSheet::kCustomKey, QStringLiteral("Biblioteca di Quarto\nsecondo rigo")));
    const LabelSheet back = LabelSettings::customSheet();
    QCOMPARE(back.key, LabelSheet::kCustomKey);
    QCOMPARE(back.columns, 2);
    QCOMPARE(back.rows, 5);
    QCOMPARE(back.left, 12.5);
    QCOMPARE(back.top, 20.25);
    QVERIFY(near(back.labelRect(9), QRectF(12.5 + 95, 20.25 + 4 * 50, 90, 48)));
    QCOMPARE(LabelSettings::sheetKey(), LabelSheet::kCustomKey);
    QCOMPARE(LabelSettings::libraryName(), QStringLiteral("Biblioteca di Quarto secondo rigo"));
    // The loans setting beside it stays.
    QVERIFY(folder.read("Tomaria.ini").contains("Giorni=45\r\n"));

    // An impossible grid is neither saved nor read back.
    LabelSheet overlapping = grid;
    overlapping.pitchX = 80;
    QVERIFY(!overlapping.fault().isEmpty());
    QVERIFY(!LabelSettings::save(overlapping, LabelSheet::kCustomKey, {}));
    LabelSheet offPaper = grid;
    offPaper.rows = 6;
    QVERIFY(!offPaper.fault().isEmpty());
    folder.write("Tomaria.ini",
        "[Etichette]\r\nColonne=2\r\nRighe=6\r\nMargineSinistro=12.5\r\nMargineSuperiore=20.25\r\n"
        "PassoOrizzontale=95\r\nPassoVerticale=50\r\nLarghezza=90\r\nAltezza=48\r\n");
    QCOMPARE(LabelSettings::customSheet().rows, 8); // the default grid instead
}

// clang-format off
void LabelsTest::textFit_data()
{
    // Measured as one unit per character per point.
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("fitted");
    QTest::addColumn<double>("size");
    QTest::newRow("fits at the largest") << "abcde" << 50.0 << "abcde" << 10.0;
    QTest::newRow("shrunk to fit") << "abcdefghij" << 80.0 << "abcdefghij" << 8.0;
    QTest::newRow("half points") << "abcdefghij" << 75.0 << "abcdefghij" << 7.5;
    QTest::newRow("smallest size fits exactly") << "abcdefghij" << 60.0 << "abcdefghij" << 6.0;
    QTest::newRow("cut at the smallest") << "abcdefghijklmnop" << 60.0 << "abcdefghi\u2026" << 6.0;
    QTest::newRow("blank before the cut dropped") << "abcd efghijklmnop" << 36.0 << "abcd\u2026" << 6.0;
    QTest::newRow("not even the ellipsis") << "abc" << 5.0 << "" << 6.0;
}
// clang-format on

void LabelsTest::textFit()
{
    QFETCH(QString, text);
    QFETCH(double, width);
    QFETCH(QString, fitted);
    QFETCH(double, size);
    const auto measure = [](const QString& t, double points) { return t.size() * points; };
    const TextFit::Fitted f = TextFit::fit(text, width, 10, 6, measure);
    QCOMPARE(f.text, fitted);
    QCOMPARE(f.pointSize, size);
    QCOMPARE(f.cut, fitted != text);
    QVERIFY(measure(f.text, f.pointSize) <= width);
}

// clang-format off
void LabelsTest::cutTextStaysInsideItsLabel_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("kind");
    for (const LabelSheet& s : LabelSheet::presets()) {
        QTest::addRow("%s spine", qPrintable(s.key)) << s.key << int(LabelReport::Kind::Spine);
        QTest::addRow("%s barcode", qPrintable(s.key)) << s.key << int(LabelReport::Kind::Barcode);
    }
}
// clang-format on

void LabelsTest::cutTextStaysInsideItsLabel()
{
    QFETCH(QString, sheet);
    QFETCH(int, kind);
    const QString long_ = QStringLiteral("WWWWWWWWWW Storia della letteratura italiana dalle origini ai giorni nostri WWWW").repeated(2);
    QList<LabelCard> cards;
    cards << LabelCard{1, QStringLiteral("LIB-00001"), long_, QStringLiteral("Eco, Umberto"), QStringLiteral("853"), long_};
    cards << LabelCard{2, QStringLiteral("A1"), QStringLiteral("Breve"), QStringLiteral("Eco"), QStringLiteral("8"), QStringLiteral("S")};
    const PreparedReport report = LabelReport::prepare(cards, {LabelReport::Kind(kind), *LabelSheet::find(sheet), 1, long_});
    QVERIFY(report.pageCount() > 0);
    QRectF label;
    int labels = -1;
    int cut = 0;
    int texts = 0;
    const PreparedPage first = report.page(0);
    for (const PageItem& item : first.items) {
        if (item.name == LabelReport::kLabel) {
            label = item.rect;
            ++labels;
            continue;
        }
        QVERIFY2(label.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(item.rect), qPrintable(item.name));
        if (item.kind != PageItem::Kind::Text)
            continue;
        ++texts;
        const QString line = item.lines().value(0);
        // As wide as it prints on paper: measured on devices of a printer's
        // resolutions, where hinting and rounding differ from the screen.
        for (const int dpi : {96, 300, 600, 1200}) {
            QImage device(1, 1, QImage::Format_RGB32);
            device.setDotsPerMeterX(int(dpi / 0.0254));
            device.setDotsPerMeterY(int(dpi / 0.0254));
            const double width = QFontMetricsF(item.text->font, &device).horizontalAdvance(line) * 96.0 / dpi;
            QVERIFY2(width <= item.rect.width() + 1e-6,
                qPrintable(QStringLiteral("%1 at %2 dpi: %3 > %4").arg(line).arg(dpi).arg(width).arg(item.rect.width())));
        }
        QVERIFY(item.text->font.pointSizeF() >= LabelReport::kSmallest - 1e-9);
        if (line.endsWith(TextFit::kEllipsis)) {
            ++cut;
            QCOMPARE(item.text->font.pointSizeF(), LabelReport::kSmallest);
            QVERIFY(long_.startsWith(line.chopped(1)));
        } else if (labels == 1 && item.name != QLatin1String("biblioteca")) {
            // The short card's texts print whole.
            const LabelCard& small = cards.at(1);
            QVERIFY2(
                QStringList({small.code, small.title, small.surnameLetters(), small.dewey, small.shelf}).contains(line), qPrintable(line));
        }
    }
    QCOMPARE(labels, 1);
    QVERIFY(texts >= 6);
    // Spine: the shelf; barcode: the title and both library names.
    QVERIFY2(cut >= (LabelReport::Kind(kind) == LabelReport::Kind::Spine ? 1 : 3), "the long texts must be cut");
}

// clang-format off
void LabelsTest::spineShowsCallNumber_data()
{
    QTest::addColumn<QString>("person");
    QTest::addColumn<QString>("letters");
    QTest::newRow("surname first") << "Eco, Umberto" << "ECO";
    QTest::newRow("name first") << "Italo Calvino" << "CAL";
    QTest::newRow("apostrophe and accent") << "D'Annunzio, Gabriele" << "DAN";
    QTest::newRow("accented capital") << "Čapek, Karel" << "ČAP";
    QTest::newRow("short surname") << "Fo, Dario" << "FO";
    QTest::newRow("nothing") << "" << "";
}
// clang-format on

void LabelsTest::spineShowsCallNumber()
{
    QFETCH(QString, person);
    QFETCH(QString, letters);
    const LabelCard card{7, QStringLiteral("X"), QStringLiteral("T"), person, QStringLiteral("853.914"), QStringLiteral("Sala B")};
    QCOMPARE(card.surnameLetters(), letters);
    const PreparedReport report = LabelReport::prepare({card}, {LabelReport::Kind::Spine, *LabelSheet::find("3x8"), 1, {}});
    const PreparedPage page = report.page(0);
    QCOMPARE(page.find("dewey")->joined(), QStringLiteral("853.914"));
    QCOMPARE(page.find("scaffale")->joined(), QStringLiteral("Sala B"));
    QCOMPARE(page.find("autore") ? page.find("autore")->joined() : QString(), letters);
    QVERIFY(page.find("dewey")->rect.bottom() <= page.find("scaffale")->rect.top() + 1e-6);
}

void LabelsTest::dvdLabelsAndHintsUseTheirOwnFields()
{
    const auto dvd = [](const QString& code, const QString& director, const QString& cancelled) {
        Record r(TSchedaDVD);
        r.setText("Titolo", QStringLiteral("Film"));
        r.setText("Codice", code);
        r.setText("Regia", director);
        r.setText("Scaffale", QStringLiteral("Video 2"));
        r.setText("Annullata", cancelled);
        return r.bytes();
    };
    BookCardSession s;
    s.folder.write("DVD.pro", dvd("D1", "Kubrick, Stanley", "No") + dvd("D2", "Fellini, Federico", "Sì"));
    QList<LabelCard> cards;
    QVERIFY(LabelCards::select(Dvds::collection(), s.folder.file("DVD.pro"), {}, cards));
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards.first().surnameLetters(), QStringLiteral("KUB"));
    const PreparedReport report = LabelReport::prepare(cards, {LabelReport::Kind::Spine, *LabelSheet::find("3x7"), 1, {}});
    const PreparedPage page = report.page(0);
    QVERIFY(!page.find("dewey")); // DVDs have no Dewey code
    QCOMPARE(page.find("autore")->joined(), QStringLiteral("KUB"));
    QCOMPARE(page.find("scaffale")->joined(), QStringLiteral("Video 2"));

    // A DVD saved with the code of a cancelled one is told so too.
    TfrmDVD* card = Screens::frmDVD;
    s.card->handOver(card);
    card->control<QLineEdit>(QStringLiteral("txtTitolo"))->setText(QStringLiteral("Amarcord"));
    card->control<QLineEdit>(QStringLiteral("txtCodice"))->setText(QStringLiteral("d2"));
    card->control<QLineEdit>(QStringLiteral("txtRegia"))->setText(QStringLiteral("Fellini, Federico"));
    card->cmdSalvaClick();
    QCOMPARE(s.log.lastText(), QStringLiteral("La scheda corrente è stata inserita in archivio."));
    QCOMPARE(card->panInfo()->text(), QStringLiteral("Attenzione: il codice d2 è già usato dalla scheda in posizione 2."));
    QCOMPARE(card->lblPosizione()->text(), QStringLiteral("3"));
}

void LabelsTest::previewDrawnToScale()
{
    // The ink of one spine label measured in previews of two widths: a
    // preview twice as wide draws its texts twice as wide.
    const LabelCard card{1, QStringLiteral("X"), QStringLiteral("T"), QStringLiteral("Manzoni, Alessandro"), QStringLiteral("853.7"),
        QStringLiteral("Sala grande")};
    const PreparedReport report = LabelReport::prepare({card}, {LabelReport::Kind::Spine, *LabelSheet::find("2x8"), 1, {}});
    const auto inkWidth = [&](int width) {
        const QImage image = LabelReport::render(report, 0, width);
        // Inside the first label, away from its drawn edges.
        const QRect label(int(width * 2 / 210.0), int(width * 3 / 210.0), int(width * 100 / 210.0), int(width * 33 / 210.0));
        int left = image.width();
        int right = -1;
        for (int y = label.top(); y <= label.bottom(); ++y) {
            for (int x = label.left(); x <= label.right(); ++x) {
                if (qGray(image.pixel(x, y)) < 100) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return right - left + 1;
    };
    const int narrow = inkWidth(420);
    const int wide = inkWidth(840);
    QVERIFY2(narrow > 10, qPrintable(QString::number(narrow)));
    QVERIFY2(std::abs(wide - 2 * narrow) <= narrow / 5, qPrintable(QStringLiteral("%1 then %2").arg(narrow).arg(wide)));
}

// clang-format off
void LabelsTest::code128ReadBackFromPage_data()
{
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("letters and digits") << QStringList{"LIB-00001", "A1", "Inv 2024/07"};
    QTest::newRow("digits only") << QStringList{"12345678", "0001", "9788804668237"};
    QTest::newRow("lower case and signs") << QStringList{"abc+def.gh", "x%y$z", "LONGCODE-12345"};
}
// clang-format on

void LabelsTest::code128ReadBackFromPage()
{
    QFETCH(QStringList, codes);
    QTemporaryDir work;
    QList<LabelCard> cards;
    for (const QString& code : codes)
        cards << LabelCard{1, code, QStringLiteral("Titolo"), QString(), QString(), QString()};
    // The smallest preset labels: the narrowest bars.
    const PreparedReport report = LabelReport::prepare(cards, {LabelReport::Kind::Barcode, *LabelSheet::find("65"), 1, {}});
    const QString pdf = work.filePath(QStringLiteral("codici.pdf"));
    QString error;
    QVERIFY2(LabelReport::writePdf(report, pdf, &error), qPrintable(error));
    QStringList expected = codes;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(readBarcodes(pdf, work.path() + QLatin1Char('/')), expected);

    // Code 128 cannot carry what Latin-1 lacks: no bars, no crash.
    QString why;
    QVERIFY(!Code128::encode(QStringLiteral("€uro"), &why).valid());
    QVERIFY(!why.isEmpty());
    QVERIFY(!Code128::encode(QString()).valid());
}

// clang-format off
void LabelsTest::cardHints_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<int>("showPosition"); // 0: a new card
    QTest::addColumn<QString>("afterIsbn");
    QTest::addColumn<QString>("afterSave");
    const QString ready = QStringLiteral("Pronto per archiviare una nuova scheda...");
    const QString badIsbn = QStringLiteral("Attenzione: il codice ISBN 978-0-306-40615-8 ha una cifra di controllo errata; "
                                           "controllare di averlo digitato bene.");
    QTest::newRow("unique code, sound ISBN") << "Z9" << "978-0-306-40615-7" << 0 << ready << ready;
    QTest::newRow("ISBN with wrong check digit") << "Z9" << "978-0-306-40615-8" << 0 << badIsbn << badIsbn;
    QTest::newRow("lowercase x ISBN-10") << "Z9" << "0-8044-2957-x" << 0 << ready << ready;
    QTest::newRow("code of one other card") << "B1" << "" << 0 << ready
                                            << "Attenzione: il codice B1 è già usato dalla scheda in posizione 2.";
    QTest::newRow("code of two others, case and blanks ignored") << "a1" << "" << 0 << ready
                                                                 << "Attenzione: il codice a1 è già usato dalle schede in posizione 1, 3.";
    QTest::newRow("resaved card not its own duplicate") << "A1" << "" << 1 << ready
                                                        << "Attenzione: il codice A1 è già usato dalla scheda in posizione 3.";
    QTest::newRow("resaved card, code its own") << "B1" << "" << 2 << ready << ready;
}
// clang-format on

void LabelsTest::cardHints()
{
    QFETCH(QString, code);
    QFETCH(QString, isbn);
    QFETCH(int, showPosition);
    QFETCH(QString, afterIsbn);
    QFETCH(QString, afterSave);
    BookCardSession s;
    const QByteArray archive = bookRecord({QStringLiteral("A1")}) + bookRecord({QStringLiteral("B1")})
        + bookRecord({QStringLiteral(" A1")});
    s.folder.write("Libri.pro", archive);
    if (showPosition > 0) {
        for (int i = 0; i < showPosition; ++i)
            s.card->cmdAvantiClick();
        QCOMPARE(s.card->lblPosizione()->text(), QString::number(showPosition));
    }
    auto* txtCodice = s.card->control<QLineEdit>(QStringLiteral("txtCodice"));
    auto* txtIsbn = s.card->control<QLineEdit>(QStringLiteral("txtIsbn"));
    s.card->control<QLineEdit>(QStringLiteral("txtTitolo"))->setText(QStringLiteral("Titolo"));
    s.card->control<QLineEdit>(QStringLiteral("txtAutore"))->setText(QStringLiteral("Autore"));
    txtCodice->setText(code);
    s.card->panInfo()->setText(QStringLiteral("Pronto per archiviare una nuova scheda..."));
    s.card->activateWindow();
    txtIsbn->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(txtIsbn->hasFocus(), 5000);
    QTest::keyClicks(txtIsbn, isbn);
    txtCodice->setFocus(); // leaving the field
    QTRY_VERIFY_WITH_TIMEOUT(txtCodice->hasFocus(), 5000);
    QCOMPARE(s.card->panInfo()->text(), afterIsbn);
    s.card->cmdSalvaClick();
    // The Save's own message, then the advice on the info line.
    QCOMPARE(s.log.lastText(),
        showPosition ? QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.")
                     : QStringLiteral("La scheda corrente è stata inserita in archivio."));
    QCOMPARE(s.card->panInfo()->text(), afterSave);
}

void LabelsTest::screenPrintsWhatItPreviews()
{
    TestFolder folder;
    MessageLog log;
    folder.write("Libri.pro", numberedBooks(100));
    const QString pdf = folder.file("schermo.pdf");
    PrintLog printLog(true, pdf);
    bool driven = false;
    onNextModal<TfrmEtichette>([&](TfrmEtichette* screen) {
        driven = true;
        auto* tipo = screen->control<QComboBox>(QStringLiteral("txtTipo"));
        auto* foglio = screen->control<QComboBox>(QStringLiteral("txtFoglio"));
        auto* inizio = screen->control<QSpinBox>(QStringLiteral("txtInizio"));
        auto* biblioteca = screen->control<QLineEdit>(QStringLiteral("txtBiblioteca"));
        tipo->setCurrentIndex(1);
        foglio->setCurrentIndex(foglio->findData(QStringLiteral("3x8")));
        inizio->setValue(5);
        biblioteca->setText(QStringLiteral("Biblioteca civica"));
        emit biblioteca->editingFinished();
        QCOMPARE(screen->control<QLabel>(QStringLiteral("lblConta"))->text(), QStringLiteral("100 etichette su 5 fogli."));
        QCOMPARE(labelRects(screen->pages().page(0)).first(), QRectF(70, 37.5, 70, 37));
        QVERIFY(!screen->control<QLabel>(QStringLiteral("imgAnteprima"))->pixmap().isNull());
        // For a look at the screen: TOMARIA_GRAB names the picture to write.
        if (const QString grab = qEnvironmentVariable("TOMARIA_GRAB"); !grab.isEmpty())
            screen->grab().save(grab);
        QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("btnStampa")), Qt::LeftButton);
        QCOMPARE(printLog.offered.size(), 1);
        QCOMPARE(printLog.offered.first().pageCount(), 5);

        // A choice that gives nothing: nothing to print.
        auto* scelta = screen->control<QComboBox>(QStringLiteral("txtScelta"));
        scelta->setCurrentIndex(int(LabelChoice::Range::Shelf));
        screen->control<QLineEdit>(QStringLiteral("txtDa"))->setText(QStringLiteral("Sala Z"));
        screen->refresh();
        QVERIFY(!screen->control<QPushButton>(QStringLiteral("btnStampa"))->isEnabled());
        screen->btnStampaClick();
        QCOMPARE(printLog.offered.size(), 1);
        screen->close();
    });
    TfrmEtichette::open(nullptr);
    QVERIFY(driven);
    QTemporaryDir work;
    int pages = 0;
    QCOMPARE(readBarcodes(pdf, work.path() + QLatin1Char('/'), &pages), numberedCodes(100));
    QCOMPARE(pages, 5);
    // Kept for the next time.
    QCOMPARE(LabelSettings::sheetKey(), QStringLiteral("3x8"));
    QCOMPARE(LabelSettings::libraryName(), QStringLiteral("Biblioteca civica"));
    QCOMPARE(log.lastText(), QStringLiteral("Nessuna scheda corrisponde alla scelta: non c'è nulla da stampare."));
}

void LabelsTest::screenKeepsItsCustomGrid()
{
    TestFolder folder;
    MessageLog log;
    // No archive yet: nothing to print, and no archive made.
    {
        TfrmEtichette screen;
        QCOMPARE(screen.windowTitle(), QStringLiteral(" Etichette per libri e DVD"));
        QCOMPARE(screen.error(), QString());
        QCOMPARE(screen.control<QLabel>(QStringLiteral("lblConta"))->text(), QStringLiteral("Nessuna scheda corrisponde alla scelta."));
        QVERIFY(!screen.control<QPushButton>(QStringLiteral("btnStampa"))->isEnabled());
        QVERIFY(!QFile::exists(folder.file("Libri.pro")));
    }
    folder.write("Libri.pro", numberedBooks(12));
    {
        TfrmEtichette screen;
        auto* foglio = screen.control<QComboBox>(QStringLiteral("txtFoglio"));
        foglio->setCurrentIndex(foglio->findData(LabelSheet::kCustomKey));
        QVERIFY(screen.control<QSpinBox>(QStringLiteral("txtColonne"))->isEnabled());
        screen.control<QSpinBox>(QStringLiteral("txtColonne"))->setValue(2);
        screen.control<QSpinBox>(QStringLiteral("txtRighe"))->setValue(4);
        screen.control<QDoubleSpinBox>(QStringLiteral("txtSinistro"))->setValue(10);
        screen.control<QDoubleSpinBox>(QStringLiteral("txtAlto"))->setValue(15);
        screen.control<QDoubleSpinBox>(QStringLiteral("txtPassoX"))->setValue(100);
        screen.control<QDoubleSpinBox>(QStringLiteral("txtPassoY"))->setValue(60);
        screen.control<QDoubleSpinBox>(QStringLiteral("txtLarghezza"))->setValue(90);
        // Labels taller than their pitch would overlap: refused, not printed.
        screen.control<QDoubleSpinBox>(QStringLiteral("txtAltezza"))->setValue(65);
        QVERIFY(!screen.error().isEmpty());
        QVERIFY(!screen.control<QPushButton>(QStringLiteral("btnStampa"))->isEnabled());
        screen.control<QDoubleSpinBox>(QStringLiteral("txtAltezza"))->setValue(55);
        QCOMPARE(screen.error(), QString());
        QCOMPARE(screen.control<QSpinBox>(QStringLiteral("txtInizio"))->maximum(), 8);
        screen.control<QSpinBox>(QStringLiteral("txtInizio"))->setValue(8);
        QCOMPARE(screen.control<QLabel>(QStringLiteral("lblConta"))->text(), QStringLiteral("12 etichette su 3 fogli."));
        QCOMPARE(labelRects(screen.pages().page(0)).first(), QRectF(110, 195, 90, 55));
        // A preset shown in the boxes and left again: the custom grid comes back.
        foglio->setCurrentIndex(foglio->findData(QStringLiteral("3x8")));
        QCOMPARE(screen.control<QDoubleSpinBox>(QStringLiteral("txtAltezza"))->value(), 37.0);
        foglio->setCurrentIndex(foglio->findData(LabelSheet::kCustomKey));
        QCOMPARE(screen.control<QSpinBox>(QStringLiteral("txtColonne"))->value(), 2);
        QCOMPARE(screen.control<QDoubleSpinBox>(QStringLiteral("txtAltezza"))->value(), 55.0);
        QCOMPARE(labelRects(screen.pages().page(0)).first(), QRectF(110, 195, 90, 55));
        screen.close();
    }
    {
        // Closed while a preset is chosen: the custom grid is kept as edited.
        TfrmEtichette screen;
        auto* foglio = screen.control<QComboBox>(QStringLiteral("txtFoglio"));
        screen.control<QDoubleSpinBox>(QStringLiteral("txtAlto"))->setValue(12);
        foglio->setCurrentIndex(foglio->findData(QStringLiteral("3x8")));
        screen.close();
        QCOMPARE(LabelSettings::customSheet().top, 12.0);
        QCOMPARE(LabelSettings::customSheet().height, 55.0);
        QCOMPARE(LabelSettings::sheetKey(), QStringLiteral("3x8"));
        TfrmEtichette back;
        auto* again = back.control<QComboBox>(QStringLiteral("txtFoglio"));
        again->setCurrentIndex(again->findData(LabelSheet::kCustomKey));
        QCOMPARE(back.control<QDoubleSpinBox>(QStringLiteral("txtAlto"))->value(), 12.0);
        back.control<QDoubleSpinBox>(QStringLiteral("txtAlto"))->setValue(15);
        back.close();
    }
    // Opened again: the grid as it was left.
    TfrmEtichette again;
    QCOMPARE(again.control<QComboBox>(QStringLiteral("txtFoglio"))->currentData().toString(), LabelSheet::kCustomKey);
    QCOMPARE(again.control<QSpinBox>(QStringLiteral("txtColonne"))->value(), 2);
    QCOMPARE(again.control<QDoubleSpinBox>(QStringLiteral("txtAltezza"))->value(), 55.0);
    QCOMPARE(labelRects(again.pages().page(0)).first(), QRectF(10, 15, 90, 55));
}

// clang-format off
void LabelsTest::cliWritesReadableSheets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("barcodes");
    QTest::newRow("barcodes 3x8 from label 5") << "barcode" << QStringList{"--sheet", "3x8", "--start", "5"}
                                               << "100 etichette su 5 fogli" << 100;
    QTest::newRow("barcodes of a code range") << "barcode" << QStringList{"--sheet", "65", "--from-code", "lib-00010", "--to-code", "LIB-00019"}
                                              << "10 etichette su 1 foglio scritte" << 10;
    QTest::newRow("spine labels since a position") << "spine" << QStringList{"--sheet", "4x10", "--since-position", "61"}
                                                   << "40 etichette su 1 foglio" << 0;
    QTest::newRow("one label") << "spine" << QStringList{"--sheet", "3x8", "--from-code", "LIB-00010", "--to-code", "LIB-00010"}
                               << "1 etichetta su 1 foglio scritta" << 0;
    QTest::newRow("spine labels of a shelf") << "spine" << QStringList{"--sheet", "2x8", "--shelf", "sala b"}
                                             << "34 etichette su 3 fogli" << 0;
}
// clang-format on

void LabelsTest::cliWritesReadableSheets()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, extra);
    QFETCH(QString, said);
    QFETCH(int, barcodes);
    TestFolder folder;
    folder.write("Libri.pro", numberedBooks(100));
    const QString pdf = folder.file("etichette.pdf");
    const Run r = run(
        cliProgram(), QStringList{"--folder", folder.path(), "labels", "books", "--kind", kind} + extra + QStringList{"--out", pdf});
    QVERIFY(r.finished);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.startsWith(said), qPrintable(r.out));
    QTemporaryDir work;
    const QStringList read = readBarcodes(pdf, work.path() + QLatin1Char('/'));
    QCOMPARE(int(read.size()), barcodes);
    if (barcodes == 100)
        QCOMPARE(read, numberedCodes(100));
}

// clang-format off
void LabelsTest::labelsThatWillNotScan_data()
{
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QStringList>("said"); // the list, one line a label; empty: all scan
    QTest::addColumn<QStringList>("read"); // what a scanner reads back from the sheet
    const QString ok = QStringLiteral("LIB-00002");
    QTest::newRow("every label scans") << QStringList{"LIB-00001", ok} << "3x8" << QStringList{} << QStringList{"LIB-00001", ok};
    QTest::newRow("a character Code 128 lacks: no bars")
        << QStringList{QStringLiteral("LIB€-09"), ok} << "3x8"
        << QStringList{QStringLiteral("posizione 1, codice \"LIB€-09\": Code 128 non può scrivere \"€\", l'etichetta non avrà barre; "
                                      "serve un codice senza quel carattere.")}
        << QStringList{ok};
    QTest::newRow("a letter outside ASCII")
        << QStringList{ok, QStringLiteral("SCUOLA-è-001")} << "3x8"
        << QStringList{QStringLiteral("posizione 2, codice \"SCUOLA-è-001\": molti lettori leggono \"è\" come un'altra lettera; "
                                      "serve un codice senza lettere accentate.")}
        << QStringList{};
    QTest::newRow("a long code on the smallest labels")
        << QStringList{QStringLiteral("INVENTARIO-2024-ABCDEFGH"), ok} << "65"
        << QStringList{QStringLiteral("posizione 1, codice \"INVENTARIO-2024-ABCDEFGH\": barre larghe 0,11 mm, meno dei 0,19 mm che "
                                      "un lettore comune legge; serve un codice più corto o un'etichetta larga almeno 64 mm.")}
        << QStringList{ok};
}
// clang-format on

void LabelsTest::labelsThatWillNotScan()
{
    QFETCH(QStringList, codes);
    QFETCH(QString, sheet);
    QFETCH(QStringList, said);
    QFETCH(QStringList, read);
    TestFolder folder;
    QByteArray archive;
    for (const QString& code : codes)
        archive += bookRecord({code});
    folder.write("Libri.pro", archive);

    // The check the screen and the command line share.
    QList<LabelCard> cards;
    QVERIFY(LabelCards::select(Books::collection(), folder.file("Libri.pro"), {}, cards));
    QStringList lines;
    for (const LabelScan::Problem& p : LabelScan::check(cards, *LabelSheet::find(sheet)))
        lines << p.line();
    QCOMPARE(lines, said);

    // The command line lists them, still writes every label, and says so
    // by its exit status.
    const QString pdf = folder.file("etichette.pdf");
    const Run r = run(cliProgram(), {"--folder", folder.path(), "labels", "books", "--kind", "barcode", "--sheet", sheet, "--out", pdf});
    QVERIFY(r.finished);
    QCOMPARE(r.code, said.isEmpty() ? 0 : 3);
    QVERIFY2(r.out.startsWith(QStringLiteral("2 etichette su 1 foglio scritte")), qPrintable(r.out));
    // (The platform may say something of its own first.)
    if (said.isEmpty()) {
        QVERIFY2(!r.err.contains(QStringLiteral("tomaria-cli")), qPrintable(r.err));
    } else {
        QStringList expected{QStringLiteral("tomaria-cli: %1").arg(LabelScan::heading(said.size()))};
        for (const QString& line : said)
            expected << QStringLiteral("  ") + line;
        QVERIFY2(r.err.endsWith(expected.join(QLatin1Char('\n')) + QLatin1Char('\n')), qPrintable(r.err));
    }
    QTemporaryDir work;
    const QStringList found = readBarcodes(pdf, work.path() + QLatin1Char('/'));
    if (read.isEmpty()) {
        // A letter outside ASCII: bars there are, but not read as written.
        QCOMPARE(found.size(), 2);
        QVERIFY2(!found.contains(codes.last()), qPrintable(found.join(QLatin1Char(' '))));
    } else {
        QCOMPARE(found, read);
    }
}

void LabelsTest::screenListsLabelsThatWillNotScan()
{
    TestFolder folder;
    MessageLog log;
    folder.write("Libri.pro",
        bookRecord({QStringLiteral("LIB€-09")}) + bookRecord({QStringLiteral("LIB-00002")}) + bookRecord({QStringLiteral("SCUOLA-è-001")}));
    PrintLog printLog(true, folder.file("schermo.pdf"));
    bool driven = false;
    onNextModal<TfrmEtichette>([&](TfrmEtichette* screen) {
        driven = true;
        auto* list = screen->control<QPlainTextEdit>(QStringLiteral("lstNonLeggibili"));
        auto* heading = screen->control<QLabel>(QStringLiteral("lblNonLeggibili"));
        // Spine labels have no bars: nothing to list.
        QVERIFY(screen->problems().isEmpty());
        QVERIFY(list->isHidden());
        screen->control<QComboBox>(QStringLiteral("txtTipo"))->setCurrentIndex(1);
        auto* foglio = screen->control<QComboBox>(QStringLiteral("txtFoglio"));
        foglio->setCurrentIndex(foglio->findData(QStringLiteral("3x8")));
        QCOMPARE(screen->problems().size(), 2);
        QVERIFY(!list->isHidden());
        QCOMPARE(heading->text(), QStringLiteral("2 etichette non potranno essere lette da un lettore di codici a barre:"));
        QCOMPARE(list->toPlainText().split(QLatin1Char('\n')).size(), 2);
        QVERIFY(list->toPlainText().startsWith(QStringLiteral("posizione 1, codice \"LIB€-09\"")));
        QVERIFY(list->toPlainText().contains(QStringLiteral("posizione 3, codice \"SCUOLA-è-001\"")));
        QCOMPARE(screen->control<QLabel>(QStringLiteral("lblConta"))->text(), QStringLiteral("3 etichette su 1 foglio."));
        grabForALook(screen, QStringLiteral("etichette-non-leggibili"));
        // Stampa asks first: No prints nothing, Sì prints every label.
        log.answers = {false};
        screen->btnStampaClick();
        QCOMPARE(log.entries.size(), 1);
        QCOMPARE(log.entries.first().kind, Msg::Kind::Confirmation);
        QVERIFY(log.entries.first().text.contains(QStringLiteral("2 etichette non potranno essere lette")));
        QVERIFY(printLog.offered.isEmpty());
        log.answers = {true};
        screen->btnStampaClick();
        QCOMPARE(printLog.offered.size(), 1);
        screen->close();
    });
    TfrmEtichette::open(nullptr);
    QVERIFY(driven);
}

void LabelsTest::screenWordsFollowTheChoice()
{
    TestFolder folder;
    MessageLog log;
    TfrmEtichette screen;
    auto* raccolta = screen.control<QComboBox>(QStringLiteral("txtRaccolta"));
    auto* tipo = screen.control<QComboBox>(QStringLiteral("txtTipo"));
    // The spine's lines as each collection fills them.
    raccolta->setCurrentIndex(raccolta->findData(QStringLiteral("books")));
    QCOMPARE(tipo->itemText(0), QStringLiteral("Dorso: collocazione (Dewey, autore, scaffale)"));
    raccolta->setCurrentIndex(raccolta->findData(QStringLiteral("dvd")));
    QCOMPARE(tipo->itemText(0), QStringLiteral("Dorso: collocazione (regia, scaffale)"));

    // A field that takes no part in the choice keeps no old value.
    auto* scelta = screen.control<QComboBox>(QStringLiteral("txtScelta"));
    auto* da = screen.control<QLineEdit>(QStringLiteral("txtDa"));
    auto* a = screen.control<QLineEdit>(QStringLiteral("txtA"));
    scelta->setCurrentIndex(int(LabelChoice::Range::Codes));
    da->setText(QStringLiteral("LIB-1"));
    a->setText(QStringLiteral("LIB-9"));
    scelta->setCurrentIndex(int(LabelChoice::Range::Since));
    QVERIFY(!a->isEnabled());
    QCOMPARE(a->text(), QString());
    QCOMPARE(da->text(), QStringLiteral("LIB-1"));
    scelta->setCurrentIndex(int(LabelChoice::Range::All));
    QCOMPARE(da->text(), QString());

    // Millimetres with the decimal comma, shown and typed.
    auto* foglio = screen.control<QComboBox>(QStringLiteral("txtFoglio"));
    foglio->setCurrentIndex(foglio->findData(QStringLiteral("3x7")));
    auto* altezza = screen.control<QDoubleSpinBox>(QStringLiteral("txtAltezza"));
    QCOMPARE(altezza->text(), QStringLiteral("42,30 mm"));
    foglio->setCurrentIndex(foglio->findData(LabelSheet::kCustomKey));
    auto* larghezza = screen.control<QDoubleSpinBox>(QStringLiteral("txtLarghezza"));
    larghezza->setFocus();
    larghezza->selectAll();
    QTest::keyClicks(larghezza, QStringLiteral("62,5"));
    larghezza->interpretText();
    QCOMPARE(larghezza->value(), 62.5);
    QCOMPARE(larghezza->text(), QStringLiteral("62,50 mm"));
    screen.close();
}

// clang-format off
void LabelsTest::cliRefusesBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("collection");
    QTest::addColumn<int>("status");
    QTest::newRow("unknown sheet") << QStringList{"--kind", "spine", "--sheet", "5x5", "--out", "x.pdf"} << "--sheet vuole" << "books" << 2;
    // A choice that holds no card writes nothing, as the screen prints nothing.
    const QString none = QStringLiteral("tomaria-cli: Nessuna scheda corrisponde alla scelta.\n");
    QTest::newRow("reversed code range") << QStringList{"--kind", "barcode", "--sheet", "3x8", "--from-code", "LIB-00003", "--to-code", "LIB-00001", "--out", "x.pdf"}
                                         << none << "books" << 1;
    QTest::newRow("since a position past the end") << QStringList{"--kind", "spine", "--sheet", "3x8", "--since-position", "4", "--out", "x.pdf"}
                                                   << none << "books" << 1;
    QTest::newRow("start past the sheet") << QStringList{"--kind", "spine", "--sheet", "3x8", "--start", "25", "--out", "x.pdf"}
                                          << "--start va da 1 a 24" << "books" << 2;
    QTest::newRow("two ranges") << QStringList{"--kind", "spine", "--sheet", "3x8", "--shelf", "A", "--since-position", "2", "--out", "x.pdf"}
                                << "un solo criterio" << "books" << 2;
    QTest::newRow("no kind") << QStringList{"--sheet", "3x8", "--out", "x.pdf"} << "--kind vuole" << "books" << 2;
    QTest::newRow("no output") << QStringList{"--kind", "spine", "--sheet", "3x8"} << "--out" << "books" << 2;
    QTest::newRow("not a PDF") << QStringList{"--kind", "spine", "--sheet", "3x8", "--out", "Libri.pro"} << ".pdf" << "books" << 2;
    QTest::newRow("a collection without labels") << QStringList{"--year", "2021", "--kind", "spine", "--sheet", "3x8", "--out", "x.pdf"}
                                                 << "labels vale soltanto per books e dvd" << "articles" << 2;
}
// clang-format on

void LabelsTest::cliRefusesBadArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, said);
    QFETCH(QString, collection);
    QFETCH(int, status);
    TestFolder folder;
    const QByteArray archive = numberedBooks(3);
    folder.write("Libri.pro", archive);
    QStringList full{"--folder", folder.path(), "labels", collection};
    for (const QString& a : args)
        full << (a.endsWith(QLatin1String(".pdf")) || a == QLatin1String("Libri.pro") ? folder.file(a) : a);
    const Run r = run(cliProgram(), full);
    QVERIFY(r.finished);
    QCOMPARE(r.code, status);
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
    QCOMPARE(folder.read("Libri.pro"), archive);
    QVERIFY(!QFile::exists(folder.file("x.pdf")));
}

QTEST_MAIN(LabelsTest)
#include "test_labels.moc"
