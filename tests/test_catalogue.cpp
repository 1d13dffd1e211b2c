#include "CatalogueServers.h"
#include "TestSupport.h"

#include "cli/CommandLine.h"
#include "ui/books/CatalogueFill.h"
#include "ui/books/TfrmDifferenze.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmSceltaScheda.h"
#include "ui/shell/Controls.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

#include <memory>

namespace {

// The card's fields the catalogue can fill, with what the screen shows.
const char* const kFields[] = {"Titolo", "Autore", "Curatore", "Dewey", "Pagine", "Editore", "Isbn", "Citta", "Anno", "Collana",
    "Originale", "Lingua", "Traduttore", "Codice", "Note"};

QMap<QString, QString> cardValues(TfrmLibri* card)
{
    QMap<QString, QString> out;
    for (const char* f : kFields)
        out[QString::fromLatin1(f)] = Controls::text(card->control(QStringLiteral("txt") + QLatin1String(f)));
    return out;
}

// The next modal window of class T, which a look-up opens only once the
// catalogue has answered: looked for every 20 ms for up to ten seconds.
template <class T> void whenModal(std::function<void(T*)> drive)
{
    onNextModal<T>(std::move(drive), 500, 20);
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void fillsEmptyCard_data();
    void fillsEmptyCard();
    void typedFieldsNeedAChoice();
    void severalRecordsAreListed();
    void failuresLeaveTheCardUntouched_data();
    void failuresLeaveTheCardUntouched();
    void cancelStopsAndTheScreenStaysLive();
    void emptyIsbnAndShortcut();
    void commandLine_data();
    void commandLine();
    void grabScreens();

private:
    void useCatalogues(const QString& entries, int seconds = 5);
    void ask(const QString& isbn);
    TfrmLibri* card() const { return m_session->card; }
    void setField(const char* field, const QString& value)
    {
        Controls::setText(card()->control(QStringLiteral("txt") + QLatin1String(field)), value);
    }
    QString field(const char* name) const { return Controls::text(card()->control(QStringLiteral("txt") + QLatin1String(name))); }

    std::unique_ptr<ZebraServer> m_zebra;
    std::unique_ptr<BookCardSession> m_session;
};

void CatalogueTest::initTestCase()
{
    m_zebra = std::make_unique<ZebraServer>();
    QVERIFY2(m_zebra->started(), qPrintable(m_zebra->failure()));
}

void CatalogueTest::cleanupTestCase()
{
    m_zebra.reset();
}

void CatalogueTest::init()
{
    m_session = std::make_unique<BookCardSession>();
}

void CatalogueTest::cleanup()
{
    m_session.reset();
}

void CatalogueTest::useCatalogues(const QString& entries, int seconds)
{
    m_session->folder.write(
        QStringLiteral("Tomaria.ini"), (QStringLiteral("[Cataloghi]\r\nAttesa=%1\r\n").arg(seconds) + entries).toLatin1());
}

// Types the ISBN, presses the card's button and waits for the outcome.
void CatalogueTest::ask(const QString& isbn)
{
    setField("Isbn", isbn);
    QSignalSpy done(card()->catalogueFill(), &CatalogueFill::finished);
    QTest::mouseClick(card()->control(QStringLiteral("btnCatalogo")), Qt::LeftButton);
    QVERIFY(done.wait(20000) || done.count() == 1);
}

QString zebraEntry(int n, const QString& name, quint16 port, const QString& database, const QString& syntax)
{
    return QStringLiteral("Nome%1=%2\r\nProtocollo%1=Z39.50\r\nIndirizzo%1=127.0.0.1:%3\r\nDatabase%1=%4\r\nSintassi%1=%5\r\n")
        .arg(n)
        .arg(name)
        .arg(port)
        .arg(database, syntax);
}

// clang-format off
void CatalogueTest::fillsEmptyCard_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("syntax");
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<QStringList>("expected"); // Field=value, the others empty
    QTest::addColumn<QString>("listEnd");       // the info line's list of captions ends so

    QTest::newRow("MARC 21") << "libri21" << "MARC 21" << "978-88-04-33948-9"
        << QStringList{QString::fromUtf8("Titolo=Perché leggere i classici"), "Autore=Calvino, Italo",
               "Curatore=Calvino, Esther", "Pagine=XII, 294 p.", QString::fromUtf8("Editore=Società tipografica editrice"),
               "Isbn=978-88-04-33948-9", QString::fromUtf8("Citta=Città di Castello"), "Anno=1991", "Lingua=Italiano"}
        << "Anno e Lingua.";
    QTest::newRow("UNIMARC") << "libriuni" << "UNIMARC" << "9788807185120"
        << QStringList{"Titolo=Gita al faro : romanzo", "Autore=Woolf, Virginia", "Curatore=Fortunati, Vittoria",
               "Dewey=823", "Pagine=XXXII, 243 p", "Editore=Feltrinelli", "Isbn=9788807185120", "Citta=Milano",
               "Anno=2014", "Collana=Universale economica Feltrinelli. I classici", "Originale=To the lighthouse",
               "Lingua=Italiano", "Traduttore=Fusini, Nadia"}
        << "Lingua e Traduttore.";
}
// clang-format on

void CatalogueTest::fillsEmptyCard()
{
    QFETCH(QString, database);
    QFETCH(QString, syntax);
    QFETCH(QString, isbn);
    QFETCH(QStringList, expected);
    QFETCH(QString, listEnd);
    // The first catalogue refuses: the second one answers.
    useCatalogues(zebraEntry(1, "Chiuso", freePort(), "db", "MARC 21") + zebraEntry(2, "Zebra", m_zebra->port(), database, syntax));
    ask(isbn);
    QMap<QString, QString> want;
    for (const char* f : kFields)
        want[QString::fromLatin1(f)] = QString();
    for (const QString& e : expected)
        want[e.section(QLatin1Char('='), 0, 0)] = e.section(QLatin1Char('='), 1);
    QCOMPARE(cardValues(card()), want);
    QVERIFY(m_session->log.entries.isEmpty());
    QVERIFY2(card()->panInfo()->text().startsWith(QStringLiteral("Compilati dal catalogo \"Zebra\": Titolo libro, Autore, Curatore")),
        qPrintable(card()->panInfo()->text()));
    // The whole list, in the card's order, whatever the line can show.
    QVERIFY2(card()->panInfo()->toolTip().endsWith(listEnd), qPrintable(card()->panInfo()->toolTip()));
    // Nothing saved: still a new card, no archive written.
    QVERIFY(card()->lblPosizione()->text().isEmpty());
    QVERIFY(!QFile::exists(m_session->folder.file(QStringLiteral("Libri.pro"))));
    QVERIFY(card()->catalogueFill()->lastDuration() >= 0);
}

void CatalogueTest::typedFieldsNeedAChoice()
{
    useCatalogues(zebraEntry(1, "Zebra", m_zebra->port(), "libriuni", "UNIMARC"));
    setField("Titolo", "Gita al faro");
    setField("Autore", "Woolf, Virginia"); // the same: no question
    setField("Anno", "1992");
    const auto before = [this] {
        auto v = cardValues(card());
        v[QStringLiteral("Isbn")] = QStringLiteral("978-88-07-18512-0");
        return v;
    }();

    // Annulla: the card as it was, empty fields included.
    whenModal<TfrmDifferenze>([&](TfrmDifferenze* d) {
        QCOMPARE(d->replaced(), (QList<bool>{false, false}));
        auto* grd = d->findChild<QTableWidget*>(QStringLiteral("grdDifferenze"));
        QCOMPARE(grd->rowCount(), 2);
        QCOMPARE(grd->item(0, 0)->text(), QStringLiteral("Titolo libro"));
        QCOMPARE(grd->item(0, 1)->text(), QStringLiteral("Gita al faro"));
        QCOMPARE(grd->item(0, 2)->text(), QStringLiteral("Gita al faro : romanzo"));
        QCOMPARE(grd->item(1, 0)->text(), QStringLiteral("Anno"));
        QTest::mouseClick(d->control(QStringLiteral("cmdAnnulla")), Qt::LeftButton);
    });
    ask("978-88-07-18512-0");
    QCOMPARE(cardValues(card()), before);

    // Applica with nothing ticked: the typed values stay, the empty fields fill.
    whenModal<TfrmDifferenze>([](TfrmDifferenze* d) { QTest::mouseClick(d->control(QStringLiteral("cmdApplica")), Qt::LeftButton); });
    ask("978-88-07-18512-0");
    QCOMPARE(field("Titolo"), QStringLiteral("Gita al faro"));
    QCOMPARE(field("Anno"), QStringLiteral("1992"));
    QCOMPARE(field("Editore"), QStringLiteral("Feltrinelli"));
    QCOMPARE(field("Traduttore"), QStringLiteral("Fusini, Nadia"));

    // The title ticked: the catalogue's replaces it; the year stays.
    whenModal<TfrmDifferenze>([](TfrmDifferenze* d) {
        d->setReplaced(0, true);
        QTest::mouseClick(d->control(QStringLiteral("cmdApplica")), Qt::LeftButton);
    });
    ask("978-88-07-18512-0");
    QCOMPARE(field("Titolo"), QStringLiteral("Gita al faro : romanzo"));
    QCOMPARE(field("Anno"), QStringLiteral("1992"));
    QCOMPARE(card()->panInfo()->text(),
        QStringLiteral("Compilati dal catalogo \"Zebra\": Titolo libro. Premere Salva per conservare la scheda."));
}

void CatalogueTest::severalRecordsAreListed()
{
    useCatalogues(zebraEntry(1, "Zebra", m_zebra->port(), "libri21", "MARC 21"));
    whenModal<TfrmSceltaScheda>([](TfrmSceltaScheda* s) { QTest::mouseClick(s->control(QStringLiteral("cmdAnnulla")), Qt::LeftButton); });
    ask("9788804668237");
    QVERIFY(field("Titolo").isEmpty());
    QVERIFY(field("Editore").isEmpty());

    QStringList lines;
    whenModal<TfrmSceltaScheda>([&](TfrmSceltaScheda* s) {
        auto* lst = s->findChild<QTreeWidget*>(QStringLiteral("lstSchede"));
        for (int i = 0; i < lst->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < lst->columnCount(); ++c)
                cells << lst->topLevelItem(i)->text(c);
            lines << cells.join(QLatin1Char('|'));
        }
        // The 1993 edition, wherever the server listed it.
        for (int i = 0; i < lst->topLevelItemCount(); ++i)
            if (lst->topLevelItem(i)->text(3) == QLatin1String("1993"))
                lst->setCurrentItem(lst->topLevelItem(i));
        QTest::mouseClick(s->control(QStringLiteral("cmdUsa")), Qt::LeftButton);
    });
    ask("9788804668237");
    lines.sort();
    QCOMPARE(lines,
        (QStringList{
            "Il barone rampante|Calvino, Italo|Mondadori|1993|Zebra", "Il barone rampante|Calvino, Italo|Oscar Mondadori|2016|Zebra"}));
    QCOMPARE(field("Editore"), QStringLiteral("Mondadori"));
    QCOMPARE(field("Anno"), QStringLiteral("1993"));
}

// clang-format off
void CatalogueTest::failuresLeaveTheCardUntouched_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("no record") << "zebra"
        << QString::fromUtf8("Nessuna scheda con l'ISBN 9780000000002 nei cataloghi interrogati: Zebra (nessuna scheda). "
                             "La scheda non è stata modificata.");
    QTest::newRow("time-out") << "silent"
        << QString::fromUtf8("Nessun catalogo ha risposto alla ricerca dell'ISBN 9780000000002: Muto (nessuna risposta nel "
                             "tempo previsto). La scheda non è stata modificata.");
    QTest::newRow("garbage") << "garbage"
        << QString::fromUtf8("Nessun catalogo ha risposto alla ricerca dell'ISBN 9780000000002: Muto (risposta non "
                             "leggibile). La scheda non è stata modificata.");
    QTest::newRow("refused") << "refused"
        << QString::fromUtf8("Nessun catalogo ha risposto alla ricerca dell'ISBN 9780000000002: Muto (collegamento non "
                             "riuscito). La scheda non è stata modificata.");
}
// clang-format on

void CatalogueTest::failuresLeaveTheCardUntouched()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    std::unique_ptr<RawServer> raw;
    if (kind == QLatin1String("zebra")) {
        useCatalogues(zebraEntry(1, "Zebra", m_zebra->port(), "libri21", "MARC 21"));
    } else {
        quint16 port = freePort();
        if (kind != QLatin1String("refused")) {
            raw = std::make_unique<RawServer>(kind == QLatin1String("silent") ? RawServer::Mode::Silent : RawServer::Mode::Garbage);
            port = raw->port();
        }
        useCatalogues(zebraEntry(1, "Muto", port, "db", "MARC 21"), 1);
    }
    setField("Titolo", "Scritto a mano");
    setField("Isbn", "9780000000002");
    const auto before = cardValues(card());
    ask("9780000000002");
    QCOMPARE(cardValues(card()), before);
    QCOMPARE(m_session->log.entries.size(), 1);
    QCOMPARE(m_session->log.entries[0].kind, Msg::Kind::Warning);
    QCOMPARE(m_session->log.entries[0].text, message);
    QVERIFY(!card()->control(QStringLiteral("panCatalogo"))->isVisible());
}

void CatalogueTest::cancelStopsAndTheScreenStaysLive()
{
    RawServer silent(RawServer::Mode::Silent);
    useCatalogues(zebraEntry(1, "Muto", silent.port(), "db", "MARC 21"), 60);
    setField("Isbn", "9780000000002");
    const auto before = cardValues(card());
    QSignalSpy done(card()->catalogueFill(), &CatalogueFill::finished);
    QTest::mouseClick(card()->control(QStringLiteral("btnCatalogo")), Qt::LeftButton);
    auto* lbl = card()->findChild<QLabel*>(QStringLiteral("lblCatalogo"));
    QVERIFY(card()->control(QStringLiteral("panCatalogo"))->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(lbl->text(), QStringLiteral("Richiesta al catalogo \"Muto\"... Esc per annullare."), 5000);
    // The screen goes on: a field takes typing while the catalogue is silent.
    auto* note = card()->control<QLineEdit>(QStringLiteral("txtNote"));
    note->setFocus();
    QTest::keyClicks(note, "vivo");
    QCOMPARE(note->text(), QStringLiteral("vivo"));
    QVERIFY(card()->catalogueFill()->running());
    // Esc cancels the request, not the card.
    QTest::keyClick(note, Qt::Key_Escape);
    QVERIFY(done.wait(10000) || done.count() == 1);
    QVERIFY(card()->isVisible());
    QVERIFY(m_session->log.entries.isEmpty());
    QCOMPARE(card()->panInfo()->text(), QString::fromUtf8("Richiesta ai cataloghi annullata. La scheda non è stata modificata."));
    auto after = cardValues(card());
    after[QStringLiteral("Note")].clear();
    QCOMPARE(after, before);

    // And the Annulla button does the same.
    QTest::mouseClick(card()->control(QStringLiteral("btnCatalogo")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(lbl->text().startsWith(QStringLiteral("Richiesta al catalogo")), 5000);
    QTest::mouseClick(card()->control(QStringLiteral("cmdAnnullaCatalogo")), Qt::LeftButton);
    QVERIFY(done.wait(10000) || done.count() == 2);
    QVERIFY(!card()->catalogueFill()->running());
}

void CatalogueTest::emptyIsbnAndShortcut()
{
    useCatalogues(zebraEntry(1, "Zebra", m_zebra->port(), "libri21", "MARC 21"));
    QTest::mouseClick(card()->control(QStringLiteral("btnCatalogo")), Qt::LeftButton);
    QCOMPARE(m_session->log.lastText(),
        QString::fromUtf8("Attenzione: per poter compilare la scheda dai cataloghi delle "
                          "biblioteche è necessario compilare il campo relativo all'ISBN del libro."));
    QVERIFY(!card()->catalogueFill()->running());

    setField("Isbn", "978-0-00-748729-5");
    QSignalSpy done(card()->catalogueFill(), &CatalogueFill::finished);
    QApplication::setActiveWindow(card());
    QVERIFY(QTest::qWaitForWindowActive(card()));
    card()->control(QStringLiteral("txtIsbn"))->setFocus();
    QTest::keyClick(card()->control(QStringLiteral("txtIsbn")), Qt::Key_K, Qt::ControlModifier);
    QVERIFY(done.wait(20000) || done.count() == 1);
    QCOMPARE(field("Titolo"), QStringLiteral("The hobbit : or, There and back again"));
    QCOMPARE(field("Lingua"), QStringLiteral("Inglese"));
}

// clang-format off
void CatalogueTest::commandLine_data()
{
    QTest::addColumn<QStringList>("args"); // %Z21, %ZUNI, %SRU, %DEAD replaced
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errStart");

    QTest::newRow("MARC 21 over Z39.50") << QStringList{"lookup", "978-88-04-33948-9", "--server", "%Z21"} << 0
        << QString::fromUtf8("Titolo\tPerché leggere i classici\nAutore\tCalvino, Italo\nCuratore\tCalvino, Esther\n"
                             "Pagine\tXII, 294 p.\nEditore\tSocietà tipografica editrice\nIsbn\t8804339489\n"
                             "Citta\tCittà di Castello\nAnno\t1991\nLingua\tItaliano\nCatalogo\t%Z21\n")
        << "";
    QTest::newRow("UNIMARC over Z39.50") << QStringList{"lookup", "8806142453", "--server", "%ZUNI", "--syntax", "unimarc"} << 0
        << "Titolo\tIl sistema periodico\nAutore\tLevi, Primo\nDewey\t853\nPagine\t230 p.\nEditore\tEinaudi\n"
           "Isbn\t8806142453\nCitta\tTorino\nAnno\t1975\nCollana\tNuovi coralli\nLingua\tItaliano\nCatalogo\t%ZUNI\n"
        << "";
    QTest::newRow("SRU") << QStringList{"lookup", "9780007487295", "--server", "%SRU"} << 0
        << "Titolo\tThe hobbit : or, There and back again\nAutore\tTolkien, J. R. R.\nDewey\t823\nPagine\t310 p.\n"
           "Editore\tHarperCollins\nIsbn\t9780007487295\nCitta\tLondon\nAnno\t2011\nCollana\tModern classics\n"
           "Lingua\tInglese\nCatalogo\t%SRU\n"
        << "";
    QTest::newRow("catalogue of the INI by name") << QStringList{"lookup", "9788807185120", "--catalogue", "zebra uni"} << 0
        << "" << "";
    QTest::newRow("no record: 1") << QStringList{"lookup", "9780000000002", "--server", "%Z21"} << 1 << ""
        << "tomaria-cli: Nessuna scheda con l'ISBN 9780000000002";
    QTest::newRow("no answer: 2") << QStringList{"lookup", "9780000000002", "--server", "%DEAD"} << 2 << ""
        << "tomaria-cli: Nessun catalogo ha risposto";
    QTest::newRow("not an ISBN") << QStringList{"lookup", "12-34", "--server", "%Z21"} << 2 << ""
        << QString::fromUtf8("tomaria-cli: Attenzione: \"12-34\" non è un ISBN valido");
    QTest::newRow("bad address") << QStringList{"lookup", "9780000000002", "--server", "ftp://x:1/y"} << 2 << ""
        << "tomaria-cli: --server vuole";
    QTest::newRow("both catalogue and server") << QStringList{"lookup", "9780000000002", "--server", "%Z21", "--catalogue", "x"}
        << 2 << "" << "tomaria-cli: --catalogue e --server non vanno insieme";
    QTest::newRow("unknown catalogue") << QStringList{"lookup", "9780000000002", "--catalogue", "Altro"} << 2 << ""
        << "tomaria-cli: catalogo sconosciuto \"Altro\" (configurati: Zebra uni)";
    QTest::newRow("bad syntax") << QStringList{"lookup", "9780000000002", "--server", "%Z21", "--syntax", "dublin"} << 2
        << "" << "tomaria-cli: --syntax vuole marc21 o unimarc";
    QTest::newRow("no ISBN") << QStringList{"lookup"} << 2 << "" << "tomaria-cli: lookup vuole un ISBN e nient'altro";
}
// clang-format on

void CatalogueTest::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, errStart);
    useCatalogues(zebraEntry(1, "Zebra uni", m_zebra->port(), "libriuni", "UNIMARC"));
    const QString dead = QStringLiteral("z3950://127.0.0.1:%1/db").arg(freePort());
    auto expand = [&](QString s) {
        return s.replace(QLatin1String("%Z21"), m_zebra->z3950("libri21"))
            .replace(QLatin1String("%ZUNI"), m_zebra->z3950("libriuni"))
            .replace(QLatin1String("%SRU"), m_zebra->sru("libri21"))
            .replace(QLatin1String("%DEAD"), dead);
    };
    QStringList full{QStringLiteral("--folder"), m_session->folder.path()};
    for (const QString& a : args)
        full << expand(a);
    QString o, e;
    QTextStream os(&o), es(&e);
    QCOMPARE(CommandLine::run(full, os, es), code);
    os.flush();
    es.flush();
    if (!out.isEmpty())
        QCOMPARE(o, expand(out));
    if (code == 0 && out.isEmpty())
        QVERIFY(o.startsWith(QStringLiteral("Titolo\tGita al faro")) && o.endsWith(QStringLiteral("Catalogo\tZebra uni\n")));
    QVERIFY2(errStart.isEmpty() ? e.isEmpty() : e.startsWith(errStart), qPrintable(e));
    if (code != 0)
        QVERIFY(o.isEmpty());
}

// The card with the new button, the line shown while a catalogue is asked
// and the two choosers, as PNG files in TOMARIA_GRAB_DIR when it is set.
void CatalogueTest::grabScreens()
{
    const QString dir = qEnvironmentVariable("TOMARIA_GRAB_DIR");
    if (dir.isEmpty())
        QSKIP("TOMARIA_GRAB_DIR not set");
    card()->setWindowState(Qt::WindowNoState);
    card()->resize(1010, 760);
    RawServer silent(RawServer::Mode::Silent);
    useCatalogues(zebraEntry(1, "OPAC SBN", silent.port(), "db", "UNIMARC"), 60);
    setField("Isbn", "978-88-07-18512-0");
    QTest::mouseClick(card()->control(QStringLiteral("btnCatalogo")), Qt::LeftButton);
    QTest::qWait(300);
    card()->grab().save(dir + QStringLiteral("/card-asking.png"));
    QSignalSpy done(card()->catalogueFill(), &CatalogueFill::finished);
    card()->catalogueFill()->cancel();
    QVERIFY(done.wait(10000));

    useCatalogues(zebraEntry(1, "OPAC SBN", m_zebra->port(), "libriuni", "UNIMARC"));
    ask("978-88-07-18512-0");
    card()->grab().save(dir + QStringLiteral("/card-filled.png"));

    card()->ClearCard();
    useCatalogues(zebraEntry(1, "Zebra", m_zebra->port(), "libri21", "MARC 21"));
    whenModal<TfrmSceltaScheda>([&](TfrmSceltaScheda* s) {
        s->grab().save(dir + QStringLiteral("/chooser.png"));
        QTest::mouseClick(s->control(QStringLiteral("cmdUsa")), Qt::LeftButton);
    });
    ask("9788804668237");
    setField("Titolo", "Il barone");
    setField("Anno", "1957");
    whenModal<TfrmDifferenze>([&](TfrmDifferenze* d) {
        d->setReplaced(0, true);
        d->grab().save(dir + QStringLiteral("/differences.png"));
        QTest::mouseClick(d->control(QStringLiteral("cmdApplica")), Qt::LeftButton);
    });
    whenModal<TfrmSceltaScheda>([&](TfrmSceltaScheda* s) { QTest::mouseClick(s->control(QStringLiteral("cmdUsa")), Qt::LeftButton); });
    ask("9788804668237");
}

QTEST_MAIN(CatalogueTest)
#include "test_catalogue.moc"
