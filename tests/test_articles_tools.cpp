#include "TestSupport.h"

#include "core/storage/ProgramFolder.h"
#include "core/text/Clock.h"
#include "core/text/HelpText.h"
#include "ui/articles/TfrmCreaRTF.h"
#include "ui/articles/TfrmMenuServizi.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/shell/Controls.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TfrmGuida.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>

#include <sys/resource.h>

namespace {

const QString kYearWarning = QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre.");
const QString kAsk = QStringLiteral(
    "Questa procedura esporterà la scheda corrente in un documento in formato RTF.\r\n\r\nSi conferma la creazione del file?");
const QString kDone = QStringLiteral("Il file RTF è stato creato con successo.\r\n\r\nSi vuole aprire il documento?");
const QString kFailed = QStringLiteral(
    "Attenzione: il sistema non permette di esportare i dati.\n\r\n\rAccertarsi che il documento non sia già aperto.");
const QString kHelpOpening = QStringLiteral(
    "L'applicazione Articoli Giornalistici mette a disposizione un ambiente in cui registrare in archivi annuali gli "
    "articoli, recensioni o testi di altro genere che si intende catalogare in base alle proprie esigenze.");
const QString kCardCaption = QStringLiteral(" Tomaria - Articoli giornalistici");

// The ten card controls the document reads, in document order.
const QStringList kFields = {"txtTitolo", "txtDataPub", "txtGenere", "txtAutore", "txtTestata", "txtNumTestata", "txtTesto", "txtSintesi",
    "txtValutazione", "txtNote"};

int endRequests = 0;
void countEnd()
{
    ++endRequests;
}

QByteArray fixture(const QString& name)
{
    QFile f(QStringLiteral(TOMARIA_TEST_DATA "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class ArticlesToolsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void yearScreenOpensOnTheCurrentYearAndEnterTwiceOpensIt();
    void keyFilter_data();
    void keyFilter();
    void yearRule_data();
    void yearRule();
    void everyShowStartsOverAndLeavingLeadsToTheMainMenu();
    void helpTopic();

    void documentBytes_data();
    void documentBytes();
    void answersAndTags_data();
    void answersAndTags();
    void failedWriteKeepsThePreviousDocument_data();
    void failedWriteKeepsThePreviousDocument();

private:
    QWidget* cardControl(const QString& name);
    void openYearScreen();
    QLineEdit* year() { return m_menu->control<QLineEdit>(QStringLiteral("txtAnnoPreventivi")); }
    QString lblFile() { return Controls::text(cardControl(QStringLiteral("lblFile"))); }
    // Opens the export screen over the card with `tag`, as the card does,
    // and presses Esporta e stampa; Annulla when the screen stays. Empty
    // when the screen never showed, else whether the export closed it.
    std::optional<bool> exportCard(const QString& tag, std::deque<bool> answers);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MessageLog> m_log;
    QString m_program;
    TForm* m_menu = nullptr;
    TForm* m_card = nullptr;
};

void ArticlesToolsTest::init()
{
    m_folder = std::make_unique<TestFolder>();
    // Blanks in the program folder, as under "Program Files".
    m_program = m_folder->path() + QStringLiteral("Tomaria prova/");
    QVERIFY(QDir().mkpath(m_program));
    ProgramFolder::setPath(m_program);
    m_log = std::make_unique<MessageLog>();
    Clock::setFixed(QDateTime(QDate(2031, 6, 15), QTime(10, 0)));
    endRequests = 0;
    Screens::setEndHandler(&countEnd);
    Screens::createAll();
    m_menu = Screens::get(Screens::Id::MenuServizi);
    m_card = Screens::get(Screens::Id::Bibliografie);
    Controls::setText(cardControl(QStringLiteral("lblFile")), QStringLiteral("prima"));
    for (const QString& name : kFields)
        cardControl(name);
}

void ArticlesToolsTest::cleanup()
{
    Screens::destroyAll();
    Screens::setEndHandler(nullptr);
    Clock::setFixed({});
    m_log.reset();
    m_folder.reset();
}

QWidget* ArticlesToolsTest::cardControl(const QString& name)
{
    if (QWidget* w = m_card->control(name))
        return w;
    // An article card still without its content: the controls these
    // screens reach, of the kinds the card uses.
    QWidget* w = nullptr;
    if (name == QLatin1String("lblFile")) {
        w = new QLabel(m_card->panContainer());
        w->hide();
    } else if (name == QLatin1String("txtTesto")) {
        w = new QPlainTextEdit(m_card->panContainer());
    } else {
        w = new QLineEdit(m_card->panContainer());
    }
    w->setObjectName(name);
    return w;
}

void ArticlesToolsTest::openYearScreen()
{
    Screens::get(Screens::Id::Avvio)->showScreen();
    QTest::mouseClick(Screens::get(Screens::Id::Avvio)->control("imgArticoli"), Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowActive(m_menu));
    QVERIFY(!Screens::get(Screens::Id::Avvio)->isVisible());
}

void ArticlesToolsTest::yearScreenOpensOnTheCurrentYearAndEnterTwiceOpensIt()
{
    openYearScreen();
    QVERIFY(m_menu->isMaximized());
    QCOMPARE(m_menu->windowTitle(), QStringLiteral(" Tomaria - Articoli Giornalistici"));
    QCOMPARE(year()->text(), QStringLiteral("2031"));
    QVERIFY(year()->font().bold());
    QCOMPARE(QApplication::focusWidget(), year());
    QCOMPARE(m_menu->callerTag(), QStringLiteral("avvio"));

    // The year shown gives way to the one typed.
    QTest::keyClicks(year(), QStringLiteral("2015"));
    QCOMPARE(year()->text(), QStringLiteral("2015"));
    QTest::keyClick(year(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_menu->control("btnApriPreventivi"));
    QVERIFY(!m_card->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(m_card->isVisible());
    QCOMPARE(m_card->windowTitle(), QStringLiteral(" Tomaria - Articoli giornalistici anno 2015"));
    QVERIFY(m_log->entries.isEmpty());
}

// clang-format off
void ArticlesToolsTest::keyFilter_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("focus");
    const QString field = QStringLiteral("txtAnnoPreventivi");
    QTest::newRow("digits") << "" << 0 << QList<int>{Qt::Key_2, Qt::Key_0, Qt::Key_1, Qt::Key_5} << "2015" << field;
    QTest::newRow("letters, signs and blanks are discarded")
        << "20" << 2 << QList<int>{Qt::Key_A, Qt::Key_Slash, Qt::Key_Period, Qt::Key_Space, Qt::Key_Minus, Qt::Key_E}
        << "20" << field;
    QTest::newRow("no fifth digit") << "2031" << 4 << QList<int>{Qt::Key_7} << "2031" << field;
    QTest::newRow("backspace and delete") << "2031" << 2 << QList<int>{Qt::Key_Backspace, Qt::Key_Delete} << "21" << field;
    QTest::newRow("left and right move the cursor")
        << "21" << 2 << QList<int>{Qt::Key_Left, Qt::Key_0, Qt::Key_Right, Qt::Key_5} << "2015" << field;
    QTest::newRow("home, end, up, down and tab are discarded")
        << "201" << 1 << QList<int>{Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_9} << "2901"
        << field;
    QTest::newRow("Enter moves to Apri") << "2015" << 4 << QList<int>{Qt::Key_Return} << "2015" << "btnApriPreventivi";
    QTest::newRow("keypad Enter too") << "1999" << 4 << QList<int>{Qt::Key_Enter} << "1999" << "btnApriPreventivi";
}
// clang-format on

void ArticlesToolsTest::keyFilter()
{
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QList<int>, keys);
    QFETCH(QString, after);
    QFETCH(QString, focus);
    openYearScreen();
    year()->setText(before);
    year()->setCursorPosition(cursor);
    for (const int key : keys)
        QTest::keyClick(year(), static_cast<Qt::Key>(key));
    QCOMPARE(year()->text(), after);
    QCOMPARE(QApplication::focusWidget(), m_menu->control(focus));
    // Nothing is opened by a key.
    QVERIFY(m_log->entries.isEmpty());
    QVERIFY(m_menu->isVisible());
    QVERIFY(!m_card->isVisible());
    QCOMPARE(m_menu->callerTag(), QStringLiteral("avvio"));
}

// clang-format off
void ArticlesToolsTest::yearRule_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("opened"); // empty: refused
    QTest::newRow("four digits") << "2015" << "2015";
    // Four characters, but three digits once trimmed: no year 201.
    QTest::newRow("a leading blank and three digits") << " 201" << "";
    QTest::newRow("three digits and a tab") << "201\t" << "";
    QTest::newRow("three digits") << "201" << "";
    QTest::newRow("a way out of the folder") << "../x" << "";
    QTest::newRow("a folder and a blank") << "a/b " << "";
    QTest::newRow("blanks only") << "    " << "";
    QTest::newRow("a blank inside") << "20 5" << "";
    QTest::newRow("digits of another script") << QStringLiteral("\uFF12\uFF10\uFF11\uFF15") << "";
}
// clang-format on

void ArticlesToolsTest::yearRule()
{
    QFETCH(QString, pasted);
    QFETCH(QString, opened);
    openYearScreen();
    year()->setText(pasted); // text that did not come through the keys
    m_menu->control("btnApriPreventivi")->setFocus();
    QTest::mouseClick(m_menu->control("btnApriPreventivi"), Qt::LeftButton);
    if (opened.isEmpty()) {
        QCOMPARE(m_log->entries.size(), 1);
        QCOMPARE(m_log->entries.first().kind, Msg::Kind::Warning);
        QCOMPARE(m_log->lastText(), kYearWarning);
        QCOMPARE(year()->text(), pasted);
        QCOMPARE(QApplication::focusWidget(), year());
        QVERIFY(m_menu->isVisible());
        QVERIFY(!m_card->isVisible());
        QCOMPARE(lblFile(), QStringLiteral("prima"));
        QCOMPARE(m_card->windowTitle(), kCardCaption);
        QCOMPARE(m_menu->callerTag(), QStringLiteral("avvio"));
    } else {
        QVERIFY(m_log->entries.isEmpty());
        QCOMPARE(lblFile(), m_program + opened + QStringLiteral(".art"));
        QCOMPARE(m_card->windowTitle(), kCardCaption + QStringLiteral(" anno ") + opened);
        QVERIFY(m_card->isVisible());
        QVERIFY(!m_menu->isVisible());
        QCOMPARE(m_menu->callerTag(), QStringLiteral("servizi"));
    }
    // The archive is the card's business: nothing is created here.
    QVERIFY(entries(m_program).isEmpty());
    QCOMPARE(entries(m_folder->path()), QStringList{QStringLiteral("Tomaria prova")});
}

void ArticlesToolsTest::everyShowStartsOverAndLeavingLeadsToTheMainMenu()
{
    TForm* avvio = Screens::get(Screens::Id::Avvio);
    openYearScreen();
    QTest::mouseClick(m_menu->control("imgEsci"), Qt::LeftButton);
    QVERIFY(avvio->isVisible());
    QVERIFY(!m_menu->isVisible());
    QVERIFY(!m_card->isVisible());

    openYearScreen();
    year()->setText(QStringLiteral("2015"));
    QTest::mouseClick(m_menu->control("btnApriPreventivi"), Qt::LeftButton);
    QVERIFY(m_card->isVisible());
    m_card->close();
    QVERIFY(avvio->isVisible());
    QVERIFY(!m_menu->isVisible());

    // Shown again: the current year and the tag that leads back to the menu.
    openYearScreen();
    QCOMPARE(year()->text(), QStringLiteral("2031"));
    m_menu->close();
    QVERIFY(avvio->isVisible());
    QVERIFY(!m_menu->isVisible());
    QVERIFY(!m_card->isVisible());
    QCOMPARE(endRequests, 0);
    QVERIFY(m_log->entries.isEmpty());
}

void ArticlesToolsTest::helpTopic()
{
    openYearScreen();
    bool driven = false;
    onNextModal<TfrmGuida>([&](TfrmGuida* help) {
        driven = true;
        QCOMPARE(help->parentWidget(), static_cast<QWidget*>(m_menu));
        QCOMPARE(help->control<QLabel>("lblTitolo")->text(), QStringLiteral("Applicazione Articoli Giornalistici."));
        const QString text = help->control<QPlainTextEdit>("txtGuida")->toPlainText();
        help->close();
        QVERIFY(text.startsWith(kHelpOpening + QLatin1Char(' ')));
        const QStringList paragraphs = text.split(QStringLiteral("\n\n"));
        QVERIFY(paragraphs.size() > 5);
        for (const QString& p : paragraphs)
            QVERIFY(!p.trimmed().isEmpty() && !p.contains(QLatin1Char('\n')));
    });
    QTest::mouseClick(m_menu->control("imgGuida"), Qt::LeftButton);
    QVERIFY(driven);
    QVERIFY(m_menu->isVisible());
}

std::optional<bool> ArticlesToolsTest::exportCard(const QString& tag, std::deque<bool> answers)
{
    m_log->answers = std::move(answers);
    TfrmCreaRTF screen(m_card);
    screen.setCallerTag(tag);
    std::optional<bool> closedByExport;
    onNextModal<TfrmCreaRTF>([&](TfrmCreaRTF* s) {
        auto* annulla = s->control<QPushButton>("btnAnnulla");
        auto* stampa = s->control<QPushButton>("btnStampa");
        QVERIFY(annulla && stampa);
        QCOMPARE(annulla->text(), QStringLiteral("Annulla"));
        QCOMPARE(stampa->text(), QStringLiteral("Esporta e stampa"));
        QTest::mouseClick(stampa, Qt::LeftButton);
        closedByExport = !s->isVisible();
        if (s->isVisible())
            QTest::mouseClick(annulla, Qt::LeftButton);
        if (s->isVisible())
            s->reject(); // never left waiting
    });
    screen.execModal(true);
    return closedByExport;
}

// clang-format off
void ArticlesToolsTest::documentBytes_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every field empty or blank")
        << QStringList{"", "  ", "\t", "", "", " ", "\n \n", "", "", ""} << "scheda_articolo_vuota.rtf";
    QTest::newRow("reserved characters, accents, three lines, characters outside Windows-1252")
        << QStringList{QStringLiteral("  Il {caso} C:\\Archivio\\2015  "), QStringLiteral("05/03/2015"),
               QStringLiteral("Cronaca locale"), QStringLiteral("Niccolò Càrdenas"),
               QStringLiteral("\u201CL\u2019Eco\u201D \u2013 \u20AC"), QStringLiteral("n° 12"),
               QStringLiteral("\n  Prima riga {graffe}\nseconda riga con \\ barra \nterza riga: Bra\u0219ov \U0001F600\n\n"),
               QStringLiteral("}{ sbilanciate"), QStringLiteral("\t8/10 "), QStringLiteral("Vedi \\par e \\b0")}
        << "scheda_articolo.rtf";
}
// clang-format on

void ArticlesToolsTest::documentBytes()
{
    QFETCH(QStringList, values);
    QFETCH(QString, expected);
    // A longer document of an earlier card is replaced whole.
    QFile::remove(m_program + QStringLiteral("Scheda_Articolo.rtf"));
    QFile previous(m_program + QStringLiteral("Scheda_Articolo.rtf"));
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write(QByteArray(4000, 'x'));
    previous.close();
    for (qsizetype i = 0; i < kFields.size(); ++i)
        Controls::setText(cardControl(kFields[i]), values[i]);

    OpenLog opened;
    QCOMPARE(exportCard(QStringLiteral("bibliografie"), {true, false}), std::optional<bool>(true));
    const QByteArray want = fixture(expected);
    QVERIFY(!want.isEmpty());
    QCOMPARE(ProgramFolder::path(), m_program);
    QFile written(m_program + QStringLiteral("Scheda_Articolo.rtf"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), want);
    QCOMPARE(m_log->entries.size(), 2);
    QCOMPARE(m_log->entries[0].kind, Msg::Kind::Confirmation);
    QCOMPARE(m_log->entries[0].text, kAsk);
    QCOMPARE(m_log->entries[1].kind, Msg::Kind::Confirmation);
    QCOMPARE(m_log->entries[1].text, kDone);
    QVERIFY(opened.urls.isEmpty());
}

// clang-format off
void ArticlesToolsTest::answersAndTags_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("opened");
    QTest::newRow("No at the first question writes nothing") << "bibliografie" << QList<bool>{false} << 1 << false << false;
    QTest::newRow("Yes twice opens the document") << " bibliografie\t" << QList<bool>{true, true} << 2 << true << true;
    QTest::newRow("another tag does nothing") << "libri" << QList<bool>{} << 0 << false << false;
    QTest::newRow("the tag's case counts") << "Bibliografie" << QList<bool>{} << 0 << false << false;
}
// clang-format on

void ArticlesToolsTest::answersAndTags()
{
    QFETCH(QString, tag);
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(bool, written);
    QFETCH(bool, opened);
    const QByteArray previous = "{\\rtf1 scheda di ieri}";
    m_folder->write(QStringLiteral("Tomaria prova/Scheda_Articolo.rtf"), previous);
    Controls::setText(cardControl(QStringLiteral("txtTitolo")), QStringLiteral("Il porto riapre"));

    OpenLog log;
    // Every export closes the screen, answered No or not; other tags leave it open.
    QCOMPARE(exportCard(tag, std::deque<bool>(answers.cbegin(), answers.cend())), std::optional<bool>(questions > 0));
    QCOMPARE(m_log->entries.size(), questions);
    for (const MessageLog::Entry& e : m_log->entries)
        QCOMPARE(e.kind, Msg::Kind::Confirmation);
    const QByteArray now = m_folder->read(QStringLiteral("Tomaria prova/Scheda_Articolo.rtf"));
    if (written)
        QVERIFY(now.contains("Titolo articolo:\\b0\\f1  \\f0 Il porto riapre\\par"));
    else
        QCOMPARE(now, previous);
    if (opened) {
        QCOMPARE(log.urls.size(), 1);
        QVERIFY(log.urls.first().isLocalFile());
        QCOMPARE(log.urls.first().toLocalFile(), m_program + QStringLiteral("Scheda_Articolo.rtf"));
    } else {
        QVERIFY(log.urls.isEmpty());
    }
}

// clang-format off
void ArticlesToolsTest::failedWriteKeepsThePreviousDocument_data()
{
    QTest::addColumn<bool>("targetIsFolder");
    QTest::newRow("the disk refuses the document halfway") << false;
    QTest::newRow("a folder stands in its place") << true;
}
// clang-format on

void ArticlesToolsTest::failedWriteKeepsThePreviousDocument()
{
    QFETCH(bool, targetIsFolder);
    const QString target = m_program + QStringLiteral("Scheda_Articolo.rtf");
    const QByteArray previous = "{\\rtf1 scheda di ieri}";
    if (targetIsFolder)
        QVERIFY(QDir().mkdir(target));
    else
        m_folder->write(QStringLiteral("Tomaria prova/Scheda_Articolo.rtf"), previous);
    OpenLog log;

    // Writing past 256 bytes fails the way a full disk does (even for root);
    // the empty card's document is longer than that.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    if (!targetIsFolder) {
        rlimit small = saved;
        small.rlim_cur = 256;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    const std::optional<bool> closed = exportCard(QStringLiteral("bibliografie"), {true, true});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    QCOMPARE(closed, std::optional<bool>(true));
    QCOMPARE(m_log->entries.size(), 2);
    QCOMPARE(m_log->entries[0].text, kAsk);
    QCOMPARE(m_log->entries[1].kind, Msg::Kind::Plain);
    QCOMPARE(m_log->entries[1].text, kFailed);
    QVERIFY(log.urls.isEmpty());
    if (targetIsFolder)
        QVERIFY(QFileInfo(target).isDir());
    else
        QCOMPARE(m_folder->read(QStringLiteral("Tomaria prova/Scheda_Articolo.rtf")), previous);
    // No half-written document stays behind.
    QCOMPARE(entries(m_program), QStringList{QStringLiteral("Scheda_Articolo.rtf")});

    // Once the cause is gone the next export writes the document.
    if (targetIsFolder)
        QVERIFY(QDir(target).removeRecursively());
    m_log->clear();
    QCOMPARE(exportCard(QStringLiteral("bibliografie"), {true, false}), std::optional<bool>(true));
    QCOMPARE(m_folder->read(QStringLiteral("Tomaria prova/Scheda_Articolo.rtf")), fixture(QStringLiteral("scheda_articolo_vuota.rtf")));
}

QTEST_MAIN(ArticlesToolsTest)
#include "test_articles_tools.moc"
