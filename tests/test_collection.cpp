// A fourth collection, records ("dischi"), described in this file alone and
// registered before the screens exist, with its pictures and help topics in
// this test's own resources. If a piece of the program still names the
// collections it knows instead of reading their list, this collection is
// missing from it and a test here fails: card, searches, export, card print,
// loans, sample, labels, statistics, import, complete CSV, check, safety
// copies, the lending desk, the stocktake, the reminder letters and the
// "Importa ed esporta" screen.

#include "TestSupport.h"

#include "cli/CommandLine.h"
#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/desk/LendingDesk.h"
#include "core/desk/Reminders.h"
#include "core/desk/Stocktake.h"
#include "core/labels/LabelCards.h"
#include "core/stats/CollectionStats.h"
#include "core/export/ExportModel.h"
#include "core/collections/ExportTable.h"
#include "core/loans/LoanList.h"
#include "core/search/SearchTable.h"
#include "core/storage/Record.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/cards/CardForm.h"
#include "ui/cards/CardScreen.h"
#include "ui/cards/CollectionScreens.h"
#include "ui/cards/LineList.h"
#include "ui/cards/TfrmEsporta.h"
#include "ui/cards/TfrmStampaScheda.h"
#include "ui/cards/TfrmTrova.h"
#include "ui/desk/TfrmBancoPrestiti.h"
#include "ui/desk/TfrmInventario.h"
#include "ui/labels/TfrmEtichette.h"
#include "ui/loans/TfrmPrestiti.h"
#include "ui/registry/CollectionList.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/report/CardSheet.h"
#include "print/report/PreparedReport.h"
#include "ui/shell/Controls.h"
#include "ui/shell/FileChooser.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/stats/TfrmStatistiche.h"
#include "ui/tools/Tools.h"
#include "ui/transfer/TfrmTrasferimento.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTest>
#include <QTextStream>

#include <memory>

namespace {

// ---- The collection, as the core describes it -----------------------------

constexpr FieldDef kDiscFields[] = {
    {"Titolo", 0, 100},
    {"Codice", 101, 20},
    {"Convalida", 122, 2},
    {"Artista", 125, 60},
    {"Prestato", 186, 60},
    {"Scadenza", 247, 10},
    {"Annullata", 258, 2},
};
constexpr RecordLayout kDisc{"TSchedaDisco", 261, SlotKind::LengthByte, kDiscFields};
static_assert(kDisc.isContiguous());

// clang-format off
constexpr SearchFilter kFilters[] = {
    {"txtTitolo", "Titolo", "Titolo:"},
    {"txtCodice", "Codice", "Codice:"},
    {"txtArtista", "Artista", "Artista:"},
};
// clang-format on
// clang-format off
constexpr LinePiece kLine[] = {
    {"Cod. ", "Codice", 8},
    {"  ", "Titolo", 20},
    {"  ", "Artista", LinePiece::kUnfitted},
};
// clang-format on
constexpr std::string_view kLent[] = {"Prestato"};
const SearchTable kSearch{&kDisc, kFilters, {"Annullata", "No", {}}, kLine, 900, " Trova dischi", "Riepilogo dischi", "dischi"};
const SearchTable kAvailable{
    &kDisc, kFilters, {"Annullata", "No", kLent}, kLine, 900, " Trova dischi disponibili", "Riepilogo dischi disponibili", "dischi"};

constexpr ExportColumn kColumns[] = {
    {"Titolo", 200, false, "Titolo", "Titolo", 120},
    {"Artista", 160, true, "Artista", "Interprete", 90},
};
const ExportTable kExport{
    .layout = &kDisc,
    .columns = kColumns,
    .sheetName = "Riepilogo Dischi",
    .fileName = "Dischi.xls",
    .caption = " Esporta dischi",
};

constexpr RequiredField kRequired[] = {{"Titolo", "Manca il titolo del disco."}};
constexpr LoanRule kLoans{.dateIsDue = true,
    .name = "Disco",
    .dateWords = "la data di restituzione",
    .lateWords = "non restituiti in tempo",
    .overdue = "non restituiti in tempo"};
constexpr PrintSheet::Row kSheetRows[] = {{"Titolo:", "Titolo"}, {"Artista:", "Artista"}, {"Prestato a:", "Prestato"}};
constexpr PrintSheet kSheet{.windowCaption = " Stampa disco", .reportName = "Scheda Disco", .title = "SCHEDA DISCO", .rows = kSheetRows};

constexpr FieldCaption kCaptions[] = {
    {"Titolo", "Titolo:"},
    {"Codice", "Codice:"},
    {"Artista", "Artista:"},
    {"Prestato", "Prestato a:"},
    {"Scadenza", "Scadenza:"},
};
constexpr StatsSection kStats[] = {
    StatsSection::totals(),
    {StatsKind::Grouped, "artista", "Dischi per artista", "Artista", "senza artista", 12},
};

void fillDisc(SampleCards& w, Record& r, int serial)
{
    r.setText("Titolo", w.title());
    r.setText("Codice", QStringLiteral("X%1").arg(serial, 6, 10, QLatin1Char('0')));
    r.setText("Convalida", QStringLiteral("No"));
    r.setText("Artista", w.person());
    r.setText("Annullata", QStringLiteral("No"));
}

const Collection kDiscs{
    .key = "dischi",
    .callerTag = "dischi",
    .layout = &kDisc,
    .archiveFile = "Dischi.pro",
    .yearlySuffix = {},
    .required = kRequired,
    .search = &kSearch,
    .available = &kAvailable,
    .exportTable = &kExport,
    .picture = "dischi",
    .cardHelp = {"dischi", "Archivio dischi."},
    .exportHelp = {"esporta_dischi", "Esportazione dischi."},
    .loans = &kLoans,
    .sheet = &kSheet,
    .sample = &fillDisc,
    .plural = "dischi",
    .article = "i",
    .caption = "Dischi",
    .roles = {.code = "Codice",
        .title = "Titolo",
        .person = "Artista",
        .shelf = {},
        .dewey = {},
        .isbn = {},
        .borrower = "Prestato",
        .loanDate = "Scadenza"},
    .captions = kCaptions,
    .stats = kStats,
};

// ---- Its screens ------------------------------------------------------------

const QStringList kStrip = {QStringLiteral("sec_libro"), QStringLiteral("sec_testo"), QStringLiteral("sec_lingua"),
    QStringLiteral("sec_editoria"), QStringLiteral("sec_prestito")};

class TfrmTrovaDischi : public TfrmTrova {
public:
    explicit TfrmTrovaDischi(QWidget* owner = nullptr)
        : TfrmTrova(owner, kSearch, kStrip)
    {
        setObjectName(QStringLiteral("TfrmTrovaDischi"));
    }
};
class TfrmTrovaDischiDisponibili : public TfrmTrova {
public:
    explicit TfrmTrovaDischiDisponibili(QWidget* owner = nullptr)
        : TfrmTrova(owner, kAvailable, kStrip)
    {
        setObjectName(QStringLiteral("TfrmTrovaDischiDisponibili"));
    }
};
class TfrmExpDischi : public TfrmEsporta {
public:
    explicit TfrmExpDischi(QWidget* owner = nullptr)
        : TfrmEsporta(owner, kDiscs)
    {
        setObjectName(QStringLiteral("TfrmExpDischi"));
    }
};
class TfrmStampaDisco : public TfrmStampaScheda {
public:
    explicit TfrmStampaDisco(QWidget* owner = nullptr)
        : TfrmStampaScheda(owner, CardSheet::of(kDiscs, 26))
    {
    }
};

using F = CardForm;
constexpr F::Section kSections[] = {{"shpSezione1", 3, "sec_libro"}};
// clang-format off
constexpr F::Field kFields[] = {
    {.section = 1, .row = 1, .column = F::Full, .control = "txtTitolo"},
    {.section = 1, .row = 2, .column = F::Left, .control = "txtCodice"},
    {.section = 1, .row = 2, .column = F::Right, .control = "txtArtista"},
    {.section = 1, .row = 3, .column = F::Left, .control = "txtPrestato"},
    {.section = 1, .row = 3, .column = F::Right, .control = "txtScadenza", .width = 110},
};
// clang-format on
constexpr std::string_view kClears[] = {"txtPrestato", "txtScadenza", "txtCodice"};

const CardForm kForm{
    .collection = &kDiscs,
    .objectName = "TfrmDischi",
    .caption = " Tomaria - Archivio dischi",
    .placement = F::Placement::CaptionBeside,
    .groups = F::standardGroups(),
    .commands = F::standardBar({
        &F::make<TfrmTrovaDischi>,
        &F::make<TfrmTrovaDischiDisponibili>,
        &F::make<TfrmStampaDisco>,
        &F::make<TfrmExpDischi>,
        "Nuova scheda.",
        "Esporta i dischi.",
        "Trova un disco disponibile.",
    }),
    .sections = kSections,
    .fields = kFields,
    .cancelled = {1, 3, F::kRightField + 142, "Annulla la scheda."},
    .duplicateClears = kClears,
    .duplicateFocus = "txtCodice",
};

class TfrmDischi : public CardScreen {
public:
    explicit TfrmDischi(QWidget* owner = nullptr)
        : CardScreen(kForm, owner)
    {
    }
};

constexpr CollectionScreens::Maker kScreens[] = {
    &CollectionScreens::make<TfrmDischi>,
    &CollectionScreens::make<TfrmTrovaDischi>,
    &CollectionScreens::make<TfrmTrovaDischiDisponibili>,
    &CollectionScreens::make<TfrmExpDischi>,
    &CollectionScreens::make<TfrmStampaDisco>,
};
const CollectionScreens kEntry{
    .collection = &kDiscs,
    .form = &kForm,
    .menuName = "Dischi",
    .menuScreen = {},
    .screens = kScreens,
};

// ---- Helpers ------------------------------------------------------------------

struct Disc {
    const char* title;
    const char* code;
    const char* artist;
    const char* borrower;
    const char* due;
    const char* cancelled;
};

QByteArray archive(std::initializer_list<Disc> discs)
{
    QByteArray bytes;
    for (const Disc& d : discs) {
        Record r(kDisc);
        r.setText("Titolo", QString::fromUtf8(d.title));
        r.setText("Codice", QString::fromUtf8(d.code));
        r.setText("Convalida", QStringLiteral("No"));
        r.setText("Artista", QString::fromUtf8(d.artist));
        r.setText("Prestato", QString::fromUtf8(d.borrower));
        r.setText("Scadenza", QString::fromUtf8(d.due));
        r.setText("Annullata", QString::fromUtf8(d.cancelled));
        bytes += r.bytes();
    }
    return bytes;
}

const Disc kLentLate{"Kind of Blue", "D1", "Miles Davis", "Rossi", "01/03/2025", "No"};
const Disc kFree{"Anime salve", "D2", "Fabrizio De Andre", "", "", "No"};
const Disc kCancelled{"Blue Train", "D3", "John Coltrane", "", "", "S\u00ec"};

const Disc kSameCode{"Blue Train", "D1", "John Coltrane", "", "", "No"};

QString cli(const TestFolder& folder, const QStringList& args, int* code = nullptr)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int c = CommandLine::run(QStringList{QStringLiteral("--folder"), folder.path()} + args, o, e);
    if (code)
        *code = c;
    o.flush();
    e.flush();
    return out + err;
}

} // namespace

class CollectionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void registeredOnceAndOnlyWhenSound();
    void unsoundTablesRefused_data();
    void unsoundTablesRefused();
    void mainMenuHasItsTile();
    void cardSavesMovesAndDuplicates();
    void searchesListAndHandBack_data();
    void searchesListAndHandBack();
    void exportWritesItsFile();
    void cardPrintsItsSheet();
    void loansListsItsCards();
    void sampleFillsItsCards();
    void labelsSelectAndPrintItsCards();
    void statisticsCountItsSections();
    void importReadsCaptionsAndNames_data();
    void importReadsCaptionsAndNames();
    void completeCsvRoundTrip();
    void checkReadsItsArchive();
    void safetyCopyRestoresIt();
    void deskLendsReturnsAndUndoesItsCards();
    void stocktakeCountsItsCards();
    void remindersWriteItsLateCards();
    void transferScreenImportsAndExportsIt();

private:
    CardScreen* card() const { return cardScreenFor(QStringLiteral("dischi")); }
    void click(const char* name) { QTest::mouseClick(card()->control(QLatin1String(name)), Qt::LeftButton); }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MessageLog> m_log;
    std::span<void (*const)(Collection&)> m_spoil;
};

void CollectionTest::initTestCase()
{
    QVERIFY(CollectionList::add(kEntry));
}

void CollectionTest::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_log = std::make_unique<MessageLog>();
    Screens::createAll();
}

void CollectionTest::cleanup()
{
    Screens::destroyAll();
    m_log.reset();
    m_folder.reset();
    Clock::setFixed({});
}

void CollectionTest::registeredOnceAndOnlyWhenSound()
{
    QCOMPARE(Collection::find("dischi"), &kDiscs);
    QCOMPARE(CollectionList::all().back(), &kEntry);
    QVERIFY(card());
    // A second entry with the same key, or a collection that would write
    // blank sample cards or print a field it lacks, is refused.
    QVERIFY(!CollectionList::add(kEntry));
    Collection noFiller = kDiscs;
    noFiller.key = "dischi2";
    noFiller.callerTag = "dischi2";
    noFiller.sample = nullptr;
    QVERIFY(!Collection::add(noFiller));
    static constexpr PrintSheet::Row kWrongRow[] = {{"Etichetta:", "Etichetta"}};
    static constexpr PrintSheet kWrongSheet{.windowCaption = "", .reportName = "", .title = "", .rows = kWrongRow};
    Collection wrongSheet = noFiller;
    wrongSheet.sample = &fillDisc;
    wrongSheet.sheet = &kWrongSheet;
    QCOMPARE(wrongSheet.tableFaults(), QStringList{QStringLiteral("sheet: Etichetta")});
    QVERIFY(!Collection::add(wrongSheet));
    // A collection that lends its cards names them on the loans screen.
    static constexpr LoanRule kWordless{.dateIsDue = true, .name = "Disco"};
    Collection wordless = kDiscs;
    wordless.key = "dischi3";
    wordless.callerTag = "dischi3";
    wordless.loans = &kWordless;
    QCOMPARE(wordless.tableFaults(), QStringList{QStringLiteral("loans: no words for the loans screen")});
    QVERIFY(!Collection::add(wordless));
    QCOMPARE(Collection::all().size(), std::size_t(4));
}

// Each row spoils one table of a copy of the collection: registration
// refuses it and says which table and field.
// clang-format off
void CollectionTest::unsoundTablesRefused_data()
{
    static constexpr FieldCaption kWrongCaption[] = {{"Etichetta", "Etichetta:"}};
    static constexpr StatsSection kWrongStats[] = {StatsSection::totals(),
        {StatsKind::Grouped, "genere", "Dischi per genere", "Genere", "senza genere", 12}};
    static constexpr StatsSection kFieldless[] = {StatsSection::totals(),
        {StatsKind::Decade, "decennio", "Dischi per decennio", {}, "anno non leggibile", 0}};
    static constexpr std::string_view kWrongDates[] = {"DataUscita"};
    static constexpr std::string_view kWrongNumbers[] = {"Catalogo"};
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("faults");
    using Spoil = void (*)(Collection&);
    static const Spoil kSpoil[] = {
        [](Collection& c) { c.roles.person = "Autore"; },
        [](Collection& c) { c.roles.shelf = "Scaffale"; },
        [](Collection& c) { c.captions = kWrongCaption; },
        [](Collection& c) { c.stats = kWrongStats; },
        [](Collection& c) { c.stats = kFieldless; },
        [](Collection& c) { c.picture = "vinili"; },
        [](Collection& c) { c.exportHelp.topic = "esporta_vinili"; },
        [](Collection& c) { c.roles.borrower = {}; },
        [](Collection& c) { c.dateFields = kWrongDates; },
        [](Collection& c) { c.textNumbers = kWrongNumbers; },
    };
    m_spoil = kSpoil;
    QTest::newRow("role of a missing field") << 0 << QStringList{"roles: Autore"};
    QTest::newRow("shelf it lacks") << 1 << QStringList{"roles: Scaffale"};
    QTest::newRow("caption of a missing field") << 2 << QStringList{"captions: Etichetta"};
    QTest::newRow("statistics of a missing field") << 3 << QStringList{"stats: Genere"};
    QTest::newRow("statistics without a field") << 4 << QStringList{"stats: decennio counts no field"};
    QTest::newRow("missing pictures") << 5
        << QStringList{"resources: :/pictures/tile_vinili.svg", "resources: :/pictures/btn_vinili.svg"};
    QTest::newRow("missing help topic") << 6 << QStringList{"resources: :/help/esporta_vinili.txt"};
    QTest::newRow("loans without a borrower") << 7 << QStringList{"loans: no code, title, borrower or loan date role"};
    QTest::newRow("date field it lacks") << 8 << QStringList{"dateFields: DataUscita"};
    QTest::newRow("text number it lacks") << 9 << QStringList{"textNumbers: Catalogo"};
}
// clang-format on

void CollectionTest::unsoundTablesRefused()
{
    QFETCH(int, row);
    QFETCH(QStringList, faults);
    QVERIFY(kDiscs.tableFaults().isEmpty());
    Collection spoilt = kDiscs;
    spoilt.key = "dischi9";
    spoilt.callerTag = "dischi9";
    m_spoil[row](spoilt);
    QCOMPARE(spoilt.tableFaults(), faults);
    QVERIFY(!Collection::add(spoilt));
    QCOMPARE(Collection::find("dischi9"), nullptr);
}

void CollectionTest::mainMenuHasItsTile()
{
    // Four tiles side by side, inside the menu's panel, none overlapping.
    const QString names[] = {QStringLiteral("Libri"), QStringLiteral("DVD"), QStringLiteral("Articoli"), QStringLiteral("Dischi")};
    int right = 0;
    for (const QString& name : names) {
        QWidget* tile = Screens::frmAvvio->control(QStringLiteral("img") + name);
        QWidget* button = Screens::frmAvvio->control(QStringLiteral("btn") + name);
        QVERIFY2(tile && button, qPrintable(name));
        QVERIFY2(tile->x() >= right, qPrintable(name));
        QCOMPARE(button->x(), tile->x());
        right = tile->geometry().right() + 1;
    }
    QVERIFY(right <= Screens::frmAvvio->panContainer()->width());
    Screens::frmAvvio->showScreen();
    QTest::mouseClick(Screens::frmAvvio->control("btnDischi"), Qt::LeftButton);
    QVERIFY(card()->isVisible());
    QVERIFY(!Screens::frmAvvio->isVisible());
    card()->close();
    QVERIFY(Screens::frmAvvio->isVisible());
}

void CollectionTest::cardSavesMovesAndDuplicates()
{
    card()->showScreen();
    // The captions beside the fields are the collection's own.
    QStringList captions;
    for (const QLabel* label : card()->findChildren<QLabel*>()) {
        if (label->text().endsWith(QLatin1Char(':')))
            captions << label->text();
    }
    for (const FieldCaption& c : kCaptions)
        QVERIFY2(captions.contains(Text::utf8(c.caption)), c.caption.data());
    auto type = [this](const char* control, const char* text) {
        Controls::setText(card()->control(QLatin1String(control)), QString::fromUtf8(text));
    };

    click("cmdSalva");
    QCOMPARE(m_log->lastText(), QStringLiteral("Manca il titolo del disco."));
    QVERIFY(!QFile::exists(m_folder->file(QStringLiteral("Dischi.pro"))));

    for (const Disc& d : {kLentLate, kFree}) {
        click("cmdNuovo");
        type("txtTitolo", d.title);
        type("txtCodice", d.code);
        type("txtArtista", d.artist);
        type("txtPrestato", d.borrower);
        type("txtScadenza", d.due);
        click("cmdSalva");
        QCOMPARE(m_log->lastText(), QStringLiteral("La scheda corrente è stata inserita in archivio."));
    }
    QCOMPARE(m_folder->read(QStringLiteral("Dischi.pro")), archive({kLentLate, kFree}));

    click("cmdPrimo");
    QCOMPARE(card()->lblPosizione()->text(), QStringLiteral("1"));
    QCOMPARE(card()->control<QLineEdit>(QStringLiteral("txtArtista"))->text(), QStringLiteral("Miles Davis"));
    click("cmdAvanti");
    QCOMPARE(card()->lblPosizione()->text(), QStringLiteral("2"));
    QCOMPARE(card()->control<QLineEdit>(QStringLiteral("txtTitolo"))->text(), QStringLiteral("Anime salve"));

    // The copy of the first card keeps title and artist, loses code and loan.
    click("cmdPrimo");
    click("cmdDuplica");
    QVERIFY(card()->lblPosizione()->text().isEmpty());
    QVERIFY(card()->control<QLineEdit>(QStringLiteral("txtCodice"))->text().isEmpty());
    QVERIFY(card()->control<QLineEdit>(QStringLiteral("txtPrestato"))->text().isEmpty());
    type("txtCodice", "D9");
    click("cmdSalva");
    QCOMPARE(card()->lblPosizione()->text(), QStringLiteral("3"));
    QCOMPARE(
        m_folder->read(QStringLiteral("Dischi.pro")), archive({kLentLate, kFree, {"Kind of Blue", "D9", "Miles Davis", "", "", "No"}}));
}

// clang-format off
void CollectionTest::searchesListAndHandBack_data()
{
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("position");
    // The cancelled card is never listed; the available search leaves out
    // the lent one.
    QTest::newRow("search") << false << QString() << QStringList{
        QStringLiteral("Cod. D1        Kind of Blue          Miles Davis"),
        QStringLiteral("Cod. D2        Anime salve           Fabrizio De Andre")} << QStringLiteral("1");
    QTest::newRow("available") << true << QString() << QStringList{
        QStringLiteral("Cod. D2        Anime salve           Fabrizio De Andre")} << QStringLiteral("2");
    QTest::newRow("by artist") << false << QStringLiteral("de andre") << QStringList{
        QStringLiteral("Cod. D2        Anime salve           Fabrizio De Andre")} << QStringLiteral("2");
}
// clang-format on

void CollectionTest::searchesListAndHandBack()
{
    QFETCH(bool, available);
    QFETCH(QString, artist);
    QFETCH(QStringList, lines);
    QFETCH(QString, position);
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree, kCancelled}));
    card()->showScreen();
    std::unique_ptr<TfrmTrova> screen;
    if (available)
        screen = std::make_unique<TfrmTrovaDischiDisponibili>(card());
    else
        screen = std::make_unique<TfrmTrovaDischi>(card());
    screen->setCallerTag(QStringLiteral("dischi"));
    screen->show();
    screen->control<QLineEdit>(QStringLiteral("txtArtista"))->setText(artist);
    screen->btnCercaClick();
    QVERIFY(m_log->entries.isEmpty());
    QCOMPARE(screen->lstRecords()->lines(), lines);
    screen->lstRecords()->selectRow(0);
    screen->lstRecordsDblClick();
    QCOMPARE(card()->lblPosizione()->text(), position);
    QCOMPARE(card()->control<QLineEdit>(QStringLiteral("txtTitolo"))->text(), lines.first().mid(15, 20).trimmed());
}

void CollectionTest::exportWritesItsFile()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree}));
    TfrmExpDischi screen(card());
    screen.show();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    QCOMPARE(screen.model()->rowCount(), 2);
    m_log->answers = {true};
    screen.cmdEsportaClick();
    const QByteArray file = m_folder->read(QStringLiteral("Dischi.xls"));
    for (const char* piece : {"Riepilogo Dischi", "Kind of Blue", "Fabrizio De Andre"})
        QVERIFY2(file.contains(piece), piece);
    QVERIFY(!file.contains("Rossi")); // not a column of the export
}

void CollectionTest::cardPrintsItsSheet()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate}));
    card()->showScreen();
    click("cmdPrimo");
    PrintLog log(false);
    TfrmStampaDisco screen(card());
    screen.btnStampaClick();
    QCOMPARE(log.offered.size(), 1);
    const PreparedReport& report = log.offered.first();
    QCOMPARE(report.name, QStringLiteral("Scheda Disco"));
    const PreparedPage& page = report.pages.first();
    QCOMPARE(page.find(QStringLiteral("titArcataSup"))->joined(), QStringLiteral("SCHEDA DISCO"));
    QCOMPARE(page.find(QStringLiteral("txtArtista"))->joined(), QStringLiteral("Miles Davis"));
    QCOMPARE(page.find(QStringLiteral("txtPrestato"))->joined(), QStringLiteral("Rossi"));
}

void CollectionTest::loansListsItsCards()
{
    Clock::setFixed(QDateTime(QDate(2025, 3, 15), QTime(10, 0)));
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree, kCancelled}));
    LoanList list;
    QVERIFY(list.load());
    list.arrange(QDate(2025, 3, 15), 30);
    // Its date is the day it is due back: two weeks past it, marked.
    QCOMPARE(list.lines(), QStringList{QStringLiteral("! Disco  Cod. D1  Kind of Blue  Rossi  01/03/2025  scaduto da 14 giorni")});
    QCOMPARE(cli(*m_folder, {QStringLiteral("loans")}).section(QLatin1Char('\n'), 0, 0), list.lines().first());
    // The command line's usage and the loans screen name it among the
    // others, with what its date means.
    const QString usage = cli(*m_folder, {QStringLiteral("--help")}).replace(QStringLiteral("\n  "), QStringLiteral(" "));
    QVERIFY2(usage.contains(QStringLiteral("loans: i libri, i DVD e i dischi in prestito")), qPrintable(usage));
    QVERIFY2(usage.contains(QStringLiteral(" e i dischi non restituiti in tempo (N è --days")), qPrintable(usage));
    TfrmPrestiti screen;
    QCOMPARE(screen.windowTitle(), QStringLiteral(" Libri, DVD e dischi in prestito"));
    QVERIFY(
        screen.control<QLabel>(QStringLiteral("lblRigo01"))->text().endsWith(QStringLiteral(", per i dischi la data di restituzione.")));
    QVERIFY(screen.control<QLabel>(QStringLiteral("lblRigo02"))->text().contains(QStringLiteral(" e i dischi non restituiti in tempo;")));
}

void CollectionTest::sampleFillsItsCards()
{
    m_folder->write(QStringLiteral("Dischi.pro"), QByteArray());
    int code = -1;
    cli(*m_folder, {QStringLiteral("sample"), QStringLiteral("dischi"), QStringLiteral("3"), QStringLiteral("--seed"), QStringLiteral("5")},
        &code);
    QCOMPARE(code, 0);
    const QByteArray bytes = m_folder->read(QStringLiteral("Dischi.pro"));
    QCOMPARE(bytes.size(), 3 * kDisc.size);
    for (int i = 0; i < 3; ++i) {
        Record r(kDisc);
        r.bytes() = bytes.mid(i * kDisc.size, kDisc.size);
        QCOMPARE(r.text("Codice"), QStringLiteral("X%1").arg(i + 1, 6, 10, QLatin1Char('0')));
        QVERIFY(!r.text("Titolo").isEmpty());
        QVERIFY(!r.text("Artista").isEmpty());
    }
    // The usage names it among the others.
    QVERIFY(cli(*m_folder, {QStringLiteral("--help")}).contains(QStringLiteral("search books|dvd|articles|dischi ")));
}

void CollectionTest::labelsSelectAndPrintItsCards()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree, kCancelled}));
    QList<LabelCard> cards;
    QVERIFY(LabelCards::select(kDiscs, m_folder->file(QStringLiteral("Dischi.pro")), {}, cards));
    QCOMPARE(cards.size(), 2); // the cancelled card has none
    QCOMPARE(cards.at(0).code, QStringLiteral("D1"));
    QCOMPARE(cards.at(0).surnameLetters(), QStringLiteral("DAV"));
    QCOMPARE(cards.at(1).title, QStringLiteral("Anime salve"));
    QCOMPARE(LabelCards::collections(), QStringLiteral("libri, DVD e dischi"));

    int code = -1;
    const QString pdf = m_folder->file(QStringLiteral("etichette.pdf"));
    const QString said = cli(*m_folder,
        {QStringLiteral("labels"), QStringLiteral("dischi"), QStringLiteral("--kind"), QStringLiteral("barcode"), QStringLiteral("--sheet"),
            QStringLiteral("3x7"), QStringLiteral("--out"), pdf},
        &code);
    QVERIFY2(code == 0, qPrintable(said));
    QVERIFY(m_folder->read(QStringLiteral("etichette.pdf")).startsWith("%PDF"));

    TfrmEtichette screen;
    auto* choice = screen.control<QComboBox>(QStringLiteral("txtRaccolta"));
    QCOMPARE(choice->itemText(choice->count() - 1), QStringLiteral("Dischi"));
    QCOMPARE(choice->itemData(choice->count() - 1).toString(), QStringLiteral("dischi"));
    QCOMPARE(screen.windowTitle(), QStringLiteral(" Etichette per libri, DVD e dischi"));
}

void CollectionTest::statisticsCountItsSections()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree, kCancelled, kSameCode}));
    CollectionStats stats(kDiscs, QDate(2025, 3, 15), 30);
    QCOMPARE(stats.table().caption, std::string_view("Dischi"));
    QCOMPARE(stats.table().sections.size(), std::size_t(2));
    int code = -1;
    const QStringList lines = cli(*m_folder, {QStringLiteral("stats"), QStringLiteral("dischi")}, &code).split(QLatin1Char('\n'));
    QCOMPARE(code, 0);
    // The cancelled card counts among the totals only.
    QVERIFY2(lines.contains(QStringLiteral("artista\tJohn Coltrane\t1")), qPrintable(lines.join(QLatin1Char('|'))));
    QVERIFY2(lines.contains(QStringLiteral("artista\tMiles Davis\t1")), qPrintable(lines.join(QLatin1Char('|'))));
    QVERIFY2(lines.contains(QStringLiteral("totale\tschede\t4")), qPrintable(lines.join(QLatin1Char('|'))));

    TfrmStatistiche screen;
    screen.show();
    auto* tabs = screen.findChild<QTabWidget*>(QStringLiteral("tabRaccolte"));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(screen.charts(3).size(), std::size_t(2));
    QCOMPARE(tabs->tabText(3), QStringLiteral("Dischi"));
    screen.close();
}

// clang-format off
void CollectionTest::importReadsCaptionsAndNames_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("record names") << QByteArray("Titolo;Codice;Artista");
    QTest::newRow("card captions") << QByteArray("TITOLO:;codice:; Artista :");
    QTest::newRow("export headings") << QByteArray("Titolo;Codice;Interprete");
}
// clang-format on

void CollectionTest::importReadsCaptionsAndNames()
{
    QFETCH(QByteArray, header);
    m_folder->write(QStringLiteral("Dischi.pro"), QByteArray());
    m_folder->write(QStringLiteral("dischi.csv"), header + "\r\nKind of Blue;D1;Miles Davis\r\nAnime salve;D2;Fabrizio De Andre\r\n");
    int code = -1;
    const QString said = cli(
        *m_folder, {QStringLiteral("import"), QStringLiteral("dischi"), m_folder->file(QStringLiteral("dischi.csv"))}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    const QByteArray bytes = m_folder->read(QStringLiteral("Dischi.pro"));
    QCOMPARE(bytes.size(), 2 * kDisc.size);
    Record second(kDisc);
    second.bytes() = bytes.mid(kDisc.size, kDisc.size);
    QCOMPARE(second.text("Titolo"), QStringLiteral("Anime salve"));
    QCOMPARE(second.text("Codice"), QStringLiteral("D2"));
    QCOMPARE(second.text("Artista"), QStringLiteral("Fabrizio De Andre"));
    // An unknown column is named with what the collection accepts.
    m_folder->write(QStringLiteral("dischi.csv"), QByteArray("Titolo;Etichetta\r\nBlue Train;Blue Note\r\n"));
    const QString refused = cli(
        *m_folder, {QStringLiteral("import"), QStringLiteral("dischi"), m_folder->file(QStringLiteral("dischi.csv"))}, &code);
    QVERIFY(code != 0);
    QVERIFY2(refused.contains(QStringLiteral("Artista")), qPrintable(refused));
}

void CollectionTest::completeCsvRoundTrip()
{
    const QByteArray before = archive({kLentLate, kFree, kCancelled});
    m_folder->write(QStringLiteral("Dischi.pro"), before);
    const QString csv = m_folder->file(QStringLiteral("dischi.csv"));
    int code = -1;
    QString said = cli(
        *m_folder, {QStringLiteral("export"), QStringLiteral("dischi"), QStringLiteral("--csv"), QStringLiteral("--out"), csv}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    TestFolder moved;
    said = cli(moved, {QStringLiteral("import"), QStringLiteral("dischi"), csv}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    QCOMPARE(moved.read(QStringLiteral("Dischi.pro")), before);
}

void CollectionTest::checkReadsItsArchive()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree, kSameCode}));
    int code = -1;
    const QString said = cli(*m_folder, {QStringLiteral("check"), QStringLiteral("dischi")}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    // Its code role is read for the repeated codes.
    QVERIFY2(said.contains(QStringLiteral("Avviso:")) && said.contains(QStringLiteral("D1")), qPrintable(said));
}

void CollectionTest::safetyCopyRestoresIt()
{
    const QByteArray before = archive({kLentLate, kFree});
    m_folder->write(QStringLiteral("Dischi.pro"), before);
    const QString copies = m_folder->file(QStringLiteral("copie"));
    QVERIFY(QDir().mkpath(copies));
    int code = -1;
    const QString said = cli(*m_folder, {QStringLiteral("backup"), QStringLiteral("--to"), copies}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    const QString zip = said.trimmed().section(QLatin1Char('\n'), -1);
    QVERIFY2(zip.endsWith(QStringLiteral(".zip")), qPrintable(said));
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kCancelled}));
    const QString restored = cli(*m_folder, {QStringLiteral("restore"), zip}, &code);
    QVERIFY2(code == 0, qPrintable(restored));
    QCOMPARE(m_folder->read(QStringLiteral("Dischi.pro")), before);
}

// The desk finds its cards by code, lends one (its date is the day it is
// due back), returns it when its label is read again, and undoes both.
void CollectionTest::deskLendsReturnsAndUndoesItsCards()
{
    const QDate today(2025, 3, 15);
    Clock::setFixed(QDateTime(today, QTime(10, 0)));
    const QByteArray before = archive({kLentLate, kFree});
    m_folder->write(QStringLiteral("Dischi.pro"), before);
    const auto stored = [&](const char* field) {
        Record r(kDisc);
        r.bytes() = m_folder->read(QStringLiteral("Dischi.pro")).mid(kDisc.size, kDisc.size);
        return r.text(field);
    };
    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("d2"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QVERIFY(desk.shown());
    QCOMPARE(desk.shown()->collection, &kDiscs);
    QCOMPARE(desk.shown()->kindName(), QStringLiteral("Disco"));
    QCOMPARE(desk.control<QLabel>(QStringLiteral("lblTitolo"))->text(), QStringLiteral("Anime salve"));
    QTest::keyClicks(desk.txtLettore(), QStringLiteral("Bianchi"));
    QTest::keyClick(desk.txtLettore(), Qt::Key_Return);
    QCOMPARE(stored("Prestato"), QStringLiteral("Bianchi"));
    QCOMPARE(stored("Scadenza"), Clock::shortDate(today.addDays(desk.txtDurata()->value())));
    const QByteArray lent = m_folder->read(QStringLiteral("Dischi.pro"));

    // Its label read again: shown on loan, Enter returns it.
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("D2"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), 2);
    QCOMPARE(stored("Prestato"), QString());
    QCOMPARE(stored("Scadenza"), QString());

    // Undone, back to lent, then to the bytes it had at first.
    desk.btnAnnullaClick();
    QCOMPARE(m_folder->read(QStringLiteral("Dischi.pro")), lent);
    desk.btnAnnullaClick();
    QCOMPARE(m_folder->read(QStringLiteral("Dischi.pro")), before);
    QVERIFY(m_log->entries.isEmpty());
}

// The stocktake screen offers it among the collections that lend; the
// screen and the command line list the same findings.
void CollectionTest::stocktakeCountsItsCards()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree, kCancelled}));
    TfrmInventario screen;
    screen.show();
    const int index = screen.cmbRaccolta()->findData(QStringLiteral("dischi"));
    QVERIFY(index >= 0);
    QCOMPARE(screen.cmbRaccolta()->itemText(index), QStringLiteral("Dischi")); // its caption
    screen.cmbRaccolta()->setCurrentIndex(index);
    screen.btnIniziaClick();
    QVERIFY(screen.stocktake());
    QCOMPARE(screen.stocktake()->collection(), &kDiscs);
    QCOMPARE(screen.stocktake()->expected(), 2); // the cancelled one is not looked for
    for (const char* code : {"d2", "D3"}) {
        QTest::keyClicks(screen.txtCodice(), QString::fromLatin1(code));
        QTest::keyClick(screen.txtCodice(), Qt::Key_Return);
    }
    QCOMPARE(screen.stocktake()->counted(), 1);
    const QStringList report = screen.stocktake()->report();
    QCOMPARE(report.size(), 2);
    QVERIFY2(report[0].startsWith(QStringLiteral("In prestito\tD1\tKind of Blue\tRossi")), qPrintable(report.join('\n')));
    QVERIFY2(report[1].startsWith(QStringLiteral("Scheda annullata\tD3\tBlue Train")), qPrintable(report.join('\n')));

    m_folder->write(QStringLiteral("letti.txt"), "d2\nD3\n");
    int code = -1;
    const QString said = cli(
        *m_folder, {QStringLiteral("stocktake"), QStringLiteral("dischi"), m_folder->file(QStringLiteral("letti.txt"))}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    for (const QString& line : report)
        QVERIFY2(said.contains(line + QLatin1Char('\n')), qPrintable(said));
    m_log->answers.push_back(true);
    screen.btnTerminaClick();
    QVERIFY(!Stocktake::pending());
}

// A disc kept past its day gets a letter, from the loans as from the
// command line.
void CollectionTest::remindersWriteItsLateCards()
{
    const QDate today(2025, 3, 15);
    Clock::setFixed(QDateTime(today, QTime(10, 0)));
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kLentLate, kFree}));
    LoanList loans;
    QVERIFY(loans.load());
    loans.arrange(today, 30);
    const std::vector<ReminderLetter> letters = Reminders::letters(loans, today);
    QCOMPARE(letters.size(), std::size_t(1));
    const QStringList lines = letters[0].lines();
    QVERIFY2(lines.contains(QStringLiteral("Gentile Rossi,")), qPrintable(lines.join('\n')));
    QVERIFY2(lines.contains(QStringLiteral("Kind of Blue  (cod. D1)  da restituire entro il 01/03/2025")), qPrintable(lines.join('\n')));
    int code = -1;
    const QString said = cli(
        *m_folder, {QStringLiteral("reminders"), QStringLiteral("--out"), m_folder->file(QStringLiteral("solleciti.pdf"))}, &code);
    QVERIFY2(code == 0, qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("Rossi\t1")), qPrintable(said));
    QVERIFY(QFileInfo(m_folder->file(QStringLiteral("solleciti.pdf"))).size() > 0);
}

// "Importa ed esporta" offers it: its columns are named by its captions,
// its cards go in after the others and its complete catalogue goes out.
void CollectionTest::transferScreenImportsAndExportsIt()
{
    m_folder->write(QStringLiteral("Dischi.pro"), archive({kFree}));
    m_folder->write(QStringLiteral("nuovi.csv"), "Titolo;Codice;Artista\nSpace Oddity;D7;David Bowie\n");
    FileChoice choice;
    choice.answers.push_back(m_folder->file(QStringLiteral("nuovi.csv")));
    TfrmTrasferimento screen;
    auto* raccolta = screen.findChild<QComboBox*>(QStringLiteral("cboRaccolta"));
    const int index = raccolta->findData(QStringLiteral("dischi"));
    QVERIFY(index >= 0);
    raccolta->setCurrentIndex(index);
    QCOMPARE(&screen.collection(), &kDiscs);
    screen.btnScegliClick();
    QCOMPARE(screen.grdAnteprima()->horizontalHeaderItem(2)->text(), QStringLiteral("Artista\n\u2192 Artista"));
    m_log->answers.push_back(true);
    QSignalSpy ended(&screen, &TfrmTrasferimento::runFinished);
    screen.btnImportaClick();
    QVERIFY(ended.wait(30000));
    QCOMPARE(screen.lblStato()->text(),
        QStringLiteral("1 scheda importata in %1, nella posizione 2.")
            .arg(QDir::toNativeSeparators(m_folder->file(QStringLiteral("Dischi.pro")))));
    Record added(kDisc);
    added.bytes() = m_folder->read(QStringLiteral("Dischi.pro")).mid(kDisc.size, kDisc.size);
    QCOMPARE(added.text("Titolo"), QStringLiteral("Space Oddity"));
    QCOMPARE(added.text("Artista"), QStringLiteral("David Bowie"));

    auto* formato = screen.findChild<QComboBox*>(QStringLiteral("cboFormato"));
    formato->setCurrentIndex(formato->findData(QStringLiteral("csv")));
    const QString target = m_folder->file(QStringLiteral("dischi.csv"));
    FileChooser::setSaveHandler([&](const QString&, const QString&) { return target; });
    screen.btnEsportaClick();
    FileChooser::setSaveHandler({});
    QCOMPARE(screen.exported(), target);
    const QByteArray csv = m_folder->read(QStringLiteral("dischi.csv"));
    QVERIFY2(csv.contains("Space Oddity") && csv.contains("Anime salve"), csv.constData());
}

QTEST_MAIN(CollectionTest)
#include "test_collection.moc"
