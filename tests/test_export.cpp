#include "TestSupport.h"
#include "ExportFixtures.h"

#include "core/collections/Books.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/books/TfrmExpLibri.h"
#include "ui/books/TfrmLibri.h"
#include "core/export/ExportModel.h"
#include "core/export/Spreadsheet.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/collections/SampleCards.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>

#include <csignal>
#include <cstring>
#include <memory>

#include <sys/resource.h>

namespace {

const QString kAsk = QStringLiteral(
    "L'esportazione dei dati in Excel può richiedere diversi minuti a seconda del numero di schede presenti in archivio."
    "\r\n\r\nSi vuole esportare i dati adesso?");
const QString kDone = QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kFailed = QStringLiteral(
    "Attenzione: il sistema non permette di esportare i dati.\n\r\n\rAccertarsi che il file di Excel non sia già aperto.");

// Column 0 is the position; the others follow the book table.
constexpr int kTitolo = 1, kAutore = 4, kCitta = 13, kNote = 24, kAnnullata = 25;

// Types text into the focused widget key by key, characters outside
// Latin-1 included.
void typeText(const QString& text)
{
    for (const QChar ch : text) {
        QWidget* target = QApplication::focusWidget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
    }
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void gridListsEveryCard();
    void fileBytes_data();
    void fileBytes();
    void editReachesFileNotArchive_data();
    void editReachesFileNotArchive();
    void readOnlyColumnsRefuseEdits();
    void exportTwiceGivesSameFile();
    void writeFailsWhenTheDeviceDoes_data();
    void writeFailsWhenTheDeviceDoes();
    void confirmations_data();
    void confirmations();
    void failureKeepsPreviousFile_data();
    void failureKeepsPreviousFile();
    void hintsHelpAndExit();
    void bookCardOpensTheExport();
    void modelKeepsQtsRules_data();
    void modelKeepsQtsRules();

private:
    std::unique_ptr<TfrmExpLibri> showScreen();
    // Selects a cell and types into it; Enter commits unless `leaveOpen`.
    void typeIntoCell(TfrmExpLibri& screen, int row, int column, const QString& text, bool leaveOpen = false);
    void clickExport(TfrmExpLibri& screen, std::deque<bool> answers);

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
};

void ExportTest::init()
{
    m_folder = new TestFolder;
    m_log = new MessageLog;
    Screens::createAll();
}

void ExportTest::cleanup()
{
    Screens::destroyAll();
    delete m_log;
    delete m_folder;
}

std::unique_ptr<TfrmExpLibri> ExportTest::showScreen()
{
    auto screen = std::make_unique<TfrmExpLibri>(Screens::frmLibri);
    screen->show();
    if (!QTest::qWaitForWindowActive(screen.get()))
        qWarning("the export screen did not become active");
    return screen;
}

void ExportTest::typeIntoCell(TfrmExpLibri& screen, int row, int column, const QString& text, bool leaveOpen)
{
    QTableView* grid = screen.grdRecords();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    // F2 opens the cell editor with its text selected, so typing replaces it.
    QTest::keyClick(grid, Qt::Key_F2);
    typeText(text);
    if (!leaveOpen) {
        // The delegate commits on Enter through a queued call.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
    }
}

void ExportTest::clickExport(TfrmExpLibri& screen, std::deque<bool> answers)
{
    m_log->answers = std::move(answers);
    QTest::mouseClick(screen.control(QStringLiteral("cmdEsporta")), Qt::LeftButton);
}

void ExportTest::gridListsEveryCard()
{
    // A trailing piece shorter than a record is not a card.
    m_folder->write("Libri.pro", twoCards() + QByteArray(100, 'x'));
    auto screen = showScreen();
    ExportModel* model = screen->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->columnCount(), 26);

    const QStringList captions{"N.", "Titolo libro", "Codice identificativo", "Scaffale", "Autore", "Nazione", "Curatore", "Codice Dewey",
        "Pagine", "Genere", "Giudizio", "Casa editrice", "ISBN", "Città pubblicazione", "Anno pubblicazione", "Volumi", "Prezzo", "Collana",
        "Formato", "Titolo originale", "Lingua", "Prima pubblicazione", "Traduttore", "Versione", "Note", "Scheda annullata"};
    const QList<int> widths{
        60, 350, 200, 200, 300, 250, 250, 120, 120, 250, 250, 250, 200, 250, 180, 200, 200, 250, 250, 300, 250, 200, 250, 200, 300, 120};
    QHeaderView* header = screen->grdRecords()->horizontalHeader();
    for (int c = 0; c < 26; ++c) {
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), captions[c]);
        QCOMPARE(header->sectionSize(c), widths[c]);
    }
    QCOMPARE(screen->grdRecords()->rowHeight(1), 21);

    auto cell = [model](int row, int column) { return model->index(row, column).data().toString(); };
    QCOMPARE(cell(0, 0), QStringLiteral("1"));
    QCOMPARE(cell(1, 0), QStringLiteral("2"));
    QCOMPARE(cell(0, kTitolo), QStringLiteral("Storia & geografia <vol. 1>"));
    QCOMPARE(cell(0, kCitta), QStringLiteral("Città di Castello"));
    QCOMPARE(cell(0, 16), QStringLiteral("18,50 €"));
    QCOMPARE(cell(0, kNote), QStringLiteral("a<b && c>d")); // trimmed
    QCOMPARE(cell(0, kAnnullata), QStringLiteral("No"));
    QCOMPARE(cell(1, kAnnullata), QStringLiteral("Sì")); // cancelled cards are listed
    QCOMPARE(cell(1, 6), QString());
}

// clang-format off
void ExportTest::fileBytes_data()
{
    QTest::addColumn<bool>("archiveExists");
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("typed"); // into row 2's author, "" for none
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing archive: header row only") << false << QByteArray() << QString() << "export_vuoto.xls";
    QTest::newRow("empty archive: header row only") << true << QByteArray() << QString() << "export_vuoto.xls";
    QTest::newRow("two cards, a character outside the code page typed")
        << true << twoCards() << QStringLiteral("  Łukasz Nowak ") << "export_due_schede.xls";
}
// clang-format on

// clang-format off
void ExportTest::writeFailsWhenTheDeviceDoes_data()
{
    QTest::addColumn<int>("room"); // bytes the device takes before it fails; -1: the whole file
    QTest::newRow("nothing") << 0;
    QTest::newRow("inside the header") << 100;
    QTest::newRow("one byte short") << -2;
    QTest::newRow("the whole file") << -1;
}
// clang-format on

void ExportTest::writeFailsWhenTheDeviceDoes()
{
    QFETCH(int, room);
    m_folder->write("Libri.pro", twoCards());
    ExportModel grid(Books::exportTable());
    QVERIFY(grid.load(m_folder->file("Libri.pro")));
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    QVERIFY(Spreadsheet::write(grid, whole));
    const qint64 size = whole.data().size();
    FailingDevice device(room >= 0 ? room : size + room + 1);
    QCOMPARE(Spreadsheet::write(grid, device), room == -1);
    QVERIFY(whole.data().startsWith(device.written)); // what got through is the file's beginning
}

void ExportTest::fileBytes()
{
    QFETCH(bool, archiveExists);
    QFETCH(QByteArray, archive);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    if (archiveExists)
        m_folder->write("Libri.pro", archive);

    auto screen = showScreen();
    if (!typed.isEmpty())
        typeIntoCell(*screen, 1, kAutore, typed);
    clickExport(*screen, {true, false});
    const QByteArray written = m_folder->read("Libri.xls");
    QCOMPARE(written, fixture(expected));
    QVERIFY(QFile::exists(m_folder->file("Libri.pro"))); // a missing archive is created empty
    QCOMPARE(m_folder->read("Libri.pro"), archive);
}

// clang-format off
void ExportTest::editReachesFileNotArchive_data()
{
    QTest::addColumn<bool>("leaveOpen");
    QTest::newRow("edit committed with Enter") << false;
    QTest::newRow("editor still open at the export") << true;
}
// clang-format on

void ExportTest::editReachesFileNotArchive()
{
    QFETCH(bool, leaveOpen);
    m_folder->write("Libri.pro", twoCards());
    auto screen = showScreen();
    typeIntoCell(*screen, 0, 11, QStringLiteral("Alfa & Beta"), leaveOpen); // Casa editrice
    clickExport(*screen, {true, false});

    const QByteArray file = m_folder->read("Libri.xls");
    QVERIFY(file.contains(
        R"(<td style="text-align: left;" sdnum="1040;0;@">Alfa &amp; Beta</td><td style="text-align: left;" sdnum="1040;0;@">978-88-0000-001</td>)"));
    QVERIFY(!file.contains("Edizioni"));
    QCOMPARE(m_folder->read("Libri.pro"), twoCards());
    QCOMPARE(screen->model()->index(0, 11).data().toString(), QStringLiteral("Alfa & Beta"));
}

void ExportTest::readOnlyColumnsRefuseEdits()
{
    m_folder->write("Libri.pro", twoCards());
    auto screen = showScreen();
    ExportModel* model = screen->model();
    const QList<int> editable{4, 5, 10, 11, 15, 19, 20, 21, 23, 24, 25};
    for (int c = 0; c < model->columnCount(); ++c) {
        const QModelIndex cell = model->index(0, c);
        QCOMPARE(bool(model->flags(cell) & Qt::ItemIsEditable), editable.contains(c));
        if (!editable.contains(c))
            QVERIFY2(!model->setData(cell, QStringLiteral("X")), qPrintable(QString::number(c)));
    }

    // Typing on a read-only cell opens no editor and changes nothing.
    typeIntoCell(*screen, 0, kTitolo, QStringLiteral("Altro titolo"));
    QCOMPARE(model->index(0, kTitolo).data().toString(), QStringLiteral("Storia & geografia <vol. 1>"));
    typeIntoCell(*screen, 1, 0, QStringLiteral("7"));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("2"));
    clickExport(*screen, {true, false});
    QCOMPARE(m_folder->read("Libri.xls"), fixture("export_due_schede.xls").replace("?ukasz Nowak", "Calvino Italo"));
}

void ExportTest::exportTwiceGivesSameFile()
{
    m_folder->write("Libri.pro", twoCards());
    // A longer file from before is replaced whole, not overwritten in place.
    m_folder->write("Libri.xls", QByteArray(20000, 'z'));
    auto screen = showScreen();
    clickExport(*screen, {true, false});
    const QByteArray first = m_folder->read("Libri.xls");
    clickExport(*screen, {true, false});
    QCOMPARE(m_folder->read("Libri.xls"), first);
    QCOMPARE(first, fixture("export_due_schede.xls").replace("?ukasz Nowak", "Calvino Italo"));
}

// clang-format off
void ExportTest::confirmations_data()
{
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("opened");
    QTest::newRow("No: nothing written") << QList<bool>{false} << false << false;
    QTest::newRow("Yes, then No: written, not opened") << QList<bool>{true, false} << true << false;
    QTest::newRow("Yes, then Yes: written and opened") << QList<bool>{true, true} << true << true;
}
// clang-format on

void ExportTest::confirmations()
{
    QFETCH(QList<bool>, answers);
    QFETCH(bool, written);
    QFETCH(bool, opened);
    m_folder->write("Libri.pro", twoCards());
    OpenLog log;
    auto screen = showScreen();
    clickExport(*screen, std::deque<bool>(answers.cbegin(), answers.cend()));

    QCOMPARE(m_log->entries.size(), answers.size());
    QCOMPARE(m_log->entries[0].kind, Msg::Kind::Confirmation);
    QCOMPARE(m_log->entries[0].text, kAsk);
    if (written) {
        QCOMPARE(m_log->entries[1].kind, Msg::Kind::Confirmation);
        QCOMPARE(m_log->entries[1].text, kDone);
    }
    QCOMPARE(QFile::exists(m_folder->file("Libri.xls")), written);
    QCOMPARE(log.urls.size(), opened ? 1 : 0);
    if (opened) {
        QVERIFY(log.urls[0].isLocalFile());
        QCOMPARE(log.urls[0].toLocalFile(), m_folder->file("Libri.xls"));
    }
    QVERIFY(screen->isVisible());
}

// clang-format off
void ExportTest::failureKeepsPreviousFile_data()
{
    QTest::addColumn<bool>("targetIsFolder");
    QTest::newRow("the disk refuses the file halfway") << false;
    QTest::newRow("the target cannot be replaced") << true;
}
// clang-format on

void ExportTest::failureKeepsPreviousFile()
{
    QFETCH(bool, targetIsFolder);
    // Enough cards for a file far above the size limit set below.
    QByteArray cards;
    SampleCards generator(7);
    Record record(TSchedaLibro);
    for (int i = 1; i <= 400; ++i) {
        generator.fill(Books::collection(), record, i);
        cards += record.bytes();
    }
    m_folder->write("Libri.pro", cards);
    const QByteArray previous = "<html>export di ieri</html>";
    if (targetIsFolder)
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Libri.xls")));
    else
        m_folder->write("Libri.xls", previous);
    OpenLog log;
    auto screen = showScreen();

    // Writing past 64 KiB fails the way a full disk does (even for root).
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    if (!targetIsFolder) {
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    clickExport(*screen, {true, true});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    QCOMPARE(m_log->entries.size(), 2);
    QCOMPARE(m_log->entries[1].kind, Msg::Kind::Plain);
    QCOMPARE(m_log->entries[1].text, kFailed);
    QVERIFY(log.urls.isEmpty());
    QVERIFY(screen->isVisible());
    if (targetIsFolder)
        QVERIFY(QFileInfo(m_folder->file("Libri.xls")).isDir());
    else
        QCOMPARE(m_folder->read("Libri.xls"), previous);
    // No half-written file stays behind.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), (QStringList{"Libri.pro", "Libri.xls"}));

    // Once the cause is gone the same screen exports.
    if (targetIsFolder)
        QVERIFY(QDir(m_folder->file("Libri.xls")).removeRecursively());
    clickExport(*screen, {true, false});
    QVERIFY(m_folder->read("Libri.xls").endsWith("</tr></table></body></html>"));
}

void ExportTest::hintsHelpAndExit()
{
    auto screen = showScreen();
    QCOMPARE(screen->windowTitle(), QStringLiteral(" Esporta archivio libri in Microsoft Excel"));
    QCOMPARE(screen->size(), QSize(862, 560));
    auto* info = screen->control<QLabel>(QStringLiteral("panInfo"));
    QCOMPARE(info->text(), QStringLiteral("Esportazione archivio in Microsoft Excel."));

    // clang-format off
    const QList<QPair<QString, QString>> hints{
        {"cmdEsporta", "Esporta l'archivio in formato Microsoft Excel."},
        {"cmdGuida", "Visualizza la pagina della guida sensibile al contesto."},
        {"cmdEsci", "Esci da questo ambiente di lavoro."},
    };
    // clang-format on
    const QList<QWidget*> blank{screen.get(), screen->panContainer(), screen->grdRecords()->viewport(),
        screen->control(QStringLiteral("shpInfo")), screen->control(QStringLiteral("shpSfondo"))};
    for (const auto& [name, hint] : hints) {
        for (QWidget* area : blank) {
            hover(screen->control(name));
            QCOMPARE(info->text(), hint);
            hover(area);
            QVERIFY2(info->text().isEmpty(), qPrintable(area->objectName()));
        }
    }

    bool helped = false;
    onNextModal<TfrmGuida>([&](TfrmGuida* help) {
        helped = true;
        QCOMPARE(
            help->control<QLabel>(QStringLiteral("lblTitolo"))->text(), QStringLiteral("Esportazione archivio libri in Microsoft Excel."));
        const QStringList paragraphs
            = help->control<QPlainTextEdit>(QStringLiteral("txtGuida"))->toPlainText().split(QStringLiteral("\n\n"));
        QCOMPARE(paragraphs.size(), 3);
        QCOMPARE(paragraphs[0],
            QStringLiteral("Il pulsante Esporta archivio consente di esportare l'archivio di tutti i libri della biblioteca in un foglio "
                           "di lavoro di Microsoft Excel, che potrà essere aperto con qualsiasi software in grado di gestire i file in "
                           "formato XLS (ad esempio, con Open Office, Libre Office o Microsoft Office)."));
        help->btnChiudiClick();
    });
    QTest::mouseClick(screen->control(QStringLiteral("cmdGuida")), Qt::LeftButton);
    QVERIFY(helped);
    QVERIFY(screen->isVisible());

    QTest::mouseClick(screen->control(QStringLiteral("cmdEsci")), Qt::LeftButton);
    QVERIFY(!screen->isVisible());
    QVERIFY(m_log->entries.isEmpty());
}

void ExportTest::bookCardOpensTheExport()
{
    m_folder->write("Libri.pro", twoCards());
    Screens::frmLibri->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(Screens::frmLibri));
    QPointer<TfrmExpLibri> opened;
    int rows = -1;
    onNextModal<TfrmExpLibri>([&](TfrmExpLibri* screen) {
        opened = screen;
        rows = screen->model()->rowCount();
        screen->cmdEsciClick();
    });
    QTest::mouseClick(Screens::frmLibri->control(QStringLiteral("cmdEsporta")), Qt::LeftButton);
    QCOMPARE(rows, 2);
    QVERIFY(opened.isNull()); // destroyed as soon as it closed
}

// clang-format off
void ExportTest::modelKeepsQtsRules_data()
{
    QTest::addColumn<QByteArray>("key");
    for (const Collection* c : Collection::all())
        QTest::newRow(c->key.data()) << QByteArray(c->key.data(), qsizetype(c->key.size()));
}
// clang-format on

void ExportTest::modelKeepsQtsRules()
{
    // Qt's own checks of an item model, over a load, an edit, an empty
    // archive and a reload, for each collection's table.
    QFETCH(QByteArray, key);
    const Collection* collection = Collection::find(key.toStdString());
    QVERIFY(collection);
    SampleCards cards(11);
    QByteArray bytes;
    Record record(*collection->layout);
    for (int i = 1; i <= 25; ++i) {
        cards.fill(*collection, record, i);
        bytes += record.bytes();
    }
    m_folder->write(QStringLiteral("archivio"), bytes);
    m_folder->write(QStringLiteral("vuoto"), QByteArray());

    ExportModel model(*collection->exportTable);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model.load(m_folder->file(QStringLiteral("archivio"))));
    QCOMPARE(model.rowCount(), 25);
    int editable = -1;
    for (int c = 0; c < int(collection->exportTable->columns.size()); ++c) {
        if (collection->exportTable->columns[c].editable) {
            editable = c + 1;
            break;
        }
    }
    if (editable > 0) {
        QVERIFY(model.setData(model.index(3, editable), QStringLiteral("modificato")));
        QCOMPARE(model.data(model.index(3, editable)).toString(), QStringLiteral("modificato"));
    }
    QVERIFY(!model.setData(model.index(3, 0), QStringLiteral("7")));
    QVERIFY(model.load(m_folder->file(QStringLiteral("vuoto"))));
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.load(m_folder->file(QStringLiteral("archivio"))));
    QCOMPARE(model.rowCount(), 25);
    QVERIFY(!model.isEdited(3, editable));
}

QTEST_MAIN(ExportTest)
#include "test_export.moc"
