// The web catalogue: its pages and SRU answers in process (CatalogueSite),
// then the whole server (tomaria-cli serve) with a real browser, curl,
// yaz-client and hostile clients. Every wait is bounded and fails instead
// of hanging; nothing is timed.
#include "CoreSupport.h"

#include "core/collections/Collection.h"
#include "core/search/ResultLines.h"
#include "core/search/Search.h"
#include "core/search/SearchIndex.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"
#include "web/CatalogueSite.h"
#include "web/WebBudget.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <map>
#include <set>

namespace {

constexpr int kStartMs = 30'000;
constexpr int kRunMs = 120'000;

// Names no sample card uses for anything: they must never leave the server.
const QStringList kBorrowers{"Zebedeo Quartapelle", "Ortensia Sbrodolini", "Gaspare Vonlanthen"};

QString cli()
{
    return QStringLiteral(TOMARIA_CLI);
}

QByteArray run(const QStringList& args, int* code = nullptr)
{
    QProcess p;
    p.start(cli(), args);
    if (!p.waitForStarted(kStartMs) || !p.waitForFinished(kRunMs)) {
        p.kill();
        p.waitForFinished(kStartMs);
        if (code)
            *code = -1;
        return {};
    }
    if (code)
        *code = p.exitCode();
    return p.readAllStandardOutput();
}

// Writes `fields` into card `index` of `archive` in place.
bool setFields(const QString& archive, const Collection& c, qint64 index, const QList<QPair<std::string_view, QString>>& fields)
{
    RecordStore store;
    if (!store.open(archive, c.layout->size, RecordStore::Mode::ReadWrite) || !store.seek(index))
        return false;
    QByteArray record;
    if (!store.read(record))
        return false;
    const QByteArray before = record;
    for (const auto& [field, value] : fields)
        TextSlot::write(record.data(), *c.layout->find(field), c.layout->kind, value);
    return store.seek(index) && store.replace(before, record);
}

// Every file of `folder` with its bytes' digest.
std::map<QString, QByteArray> snapshot(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile f(info.absoluteFilePath());
        if (f.open(QIODevice::ReadOnly))
            files[info.fileName()] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return files;
}

// The lines a results page lists, in order.
QStringList pageLines(const QByteArray& html)
{
    static const QRegularExpression riga(QStringLiteral("data-riga=\"([^\"]*)\""));
    QStringList lines;
    for (auto it = riga.globalMatch(QString::fromUtf8(html)); it.hasNext();) {
        QString line = it.next().captured(1);
        line.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&lt;"), QStringLiteral("<"));
        line.replace(QStringLiteral("&gt;"), QStringLiteral(">")).replace(QStringLiteral("&#39;"), QStringLiteral("'"));
        line.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        lines << line;
    }
    return lines;
}

QByteArray nextLink(const QByteArray& html)
{
    static const QRegularExpression next(QStringLiteral("<a rel=\"next\" href=\"([^\"]*)\""));
    const QRegularExpressionMatch m = next.match(QString::fromUtf8(html));
    return m.hasMatch() ? m.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")).toUtf8() : QByteArray();
}

QStringList cardLinks(const QByteArray& html)
{
    static const QRegularExpression link(QStringLiteral("href=\"(/scheda\\?[^\"]*)\""));
    QStringList links;
    for (auto it = link.globalMatch(QString::fromUtf8(html)); it.hasNext();)
        links << it.next().captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return links;
}

// The codes of an SRU answer's MARCXML records.
QStringList sruCodes(const QByteArray& xml)
{
    static const QRegularExpression code(QStringLiteral("<controlfield tag=\"001\">([^<]*)</controlfield>"));
    QStringList codes;
    for (auto it = code.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
        codes << it.next().captured(1);
    return codes;
}

int sruCount(const QByteArray& xml)
{
    static const QRegularExpression count(QStringLiteral("numberOfRecords>([0-9]+)<"));
    const QRegularExpressionMatch m = count.match(QString::fromUtf8(xml));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString codeOf(const QString& line)
{
    return line.mid(5, 24).trimmed();
}

// One whole HTTP exchange over a socket of its own; the status and body, or
// status 0 when the server closed the connection without an answer.
struct Answer {
    int status = 0;
    QByteArray body;
};
Answer exchange(quint16 port, const QByteArray& request)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(kStartMs))
        return {};
    for (qsizetype at = 0; at < request.size() && s.state() == QAbstractSocket::ConnectedState; at += 65536) {
        s.write(request.mid(at, 65536));
        s.waitForBytesWritten(kStartMs);
    }
    QByteArray got;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(kStartMs)) {
        got += s.readAll();
        const qsizetype end = got.indexOf("\r\n\r\n");
        static const QRegularExpression length(QStringLiteral("content-length: *([0-9]+)"), QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = length.match(QString::fromLatin1(got.left(end)));
        if (end >= 0 && m.hasMatch() && got.size() >= end + 4 + m.captured(1).toLongLong())
            break;
    }
    got += s.readAll();
    Answer a;
    if (got.startsWith("HTTP/1.1 ")) {
        a.status = got.mid(9, 3).toInt();
        a.body = got.mid(got.indexOf("\r\n\r\n") + 4);
    }
    return a;
}

Answer get(quint16 port, const QByteArray& target)
{
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
}

// A page in a real browser, driven over the DevTools protocol.
class Browser {
public:
    ~Browser()
    {
        m_socket.close();
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kStartMs);
        }
    }

    bool start()
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(chromium,
            {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--user-data-dir=" + m_profile.path(), "--remote-debugging-port=0",
                "about:blank"});
        if (!m_process.waitForStarted(kStartMs))
            return false;
        // "DevTools listening on ws://127.0.0.1:PORT/devtools/browser/..."
        QByteArray said;
        static const QRegularExpression listening(QStringLiteral("ws://127\\.0\\.0\\.1:([0-9]+)/"));
        QRegularExpressionMatch m;
        while (!(m = listening.match(QString::fromLatin1(said))).hasMatch()) {
            if (!m_process.waitForReadyRead(kStartMs))
                return false;
            said += m_process.readAll();
        }
        QNetworkAccessManager net;
        net.setProxy(QNetworkProxy::NoProxy);
        QNetworkReply* reply = net.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/json/list").arg(m.captured(1)))));
        if (!wait([&] { return reply->isFinished(); }))
            return false;
        QString page;
        for (const QJsonValue& t : QJsonDocument::fromJson(reply->readAll()).array()) {
            if (t[QStringLiteral("type")].toString() == QStringLiteral("page"))
                page = t[QStringLiteral("webSocketDebuggerUrl")].toString();
        }
        delete reply;
        if (page.isEmpty())
            return false;
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, &m_socket, [this](const QString& text) {
            const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
            if (o.contains(QStringLiteral("id")))
                m_results[o[QStringLiteral("id")].toInt()] = o;
            else
                m_events << o[QStringLiteral("method")].toString();
        });
        m_socket.open(QUrl(page));
        return wait([&] { return m_socket.state() == QAbstractSocket::ConnectedState; })
            && call("Page.enable").contains(QStringLiteral("result"));
    }

    QJsonObject call(const QString& method, const QJsonObject& params = {})
    {
        const int id = ++m_id;
        m_socket.sendTextMessage(
            QString::fromUtf8(QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}}).toJson()));
        wait([&] { return m_results.count(id) > 0; });
        return m_results[id];
    }

    // Runs `script` in the page and returns its value.
    QJsonValue evaluate(const QString& script)
    {
        return call(
            "Runtime.evaluate", {{"expression", script}, {"returnByValue", true}})[QStringLiteral("result")][QStringLiteral("result")]
            .toObject()[QStringLiteral("value")];
    }

    // Runs `script`, which leads the page elsewhere, and waits for it to load.
    bool act(const QString& script)
    {
        m_events.clear();
        evaluate(script);
        return wait([&] { return m_events.contains(QStringLiteral("Page.loadEventFired")); });
    }

    bool open(const QString& url)
    {
        return act(QStringLiteral("location.href = %1")
                       .arg(QString::fromUtf8(QJsonDocument(QJsonArray{url}).toJson(QJsonDocument::Compact)).mid(1).chopped(1)));
    }

private:
    bool wait(const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > kRunMs)
                return false;
            QTest::qWait(20);
        }
        return true;
    }

    QTemporaryDir m_profile;
    QProcess m_process;
    QWebSocket m_socket;
    int m_id = 0;
    std::map<int, QJsonObject> m_results;
    QStringList m_events;
};

} // namespace

class WebTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void resultsListTheSearchScreensLines_data();
    void resultsListTheSearchScreensLines();
    void wordsAreLookedForInPublicFieldsOnly();
    void borrowersNeverAppear();
    void pagesFollowTheCatalogue();
    void hostileRequestsAreRefused_data();
    void hostileRequestsAreRefused();
    void sruFindsWhatThePagesFind_data();
    void sruFindsWhatThePagesFind();
    void sruDiagnostics_data();
    void sruDiagnostics();

    void browserSubmitsTheFormAndGetsTheCliItems();
    void curlAndYazClientFindTheSameRecords();
    void hostileClientsAreDroppedWhileOthersAreServed();

private:
    QByteArray page(const QByteArray& target, int* status = nullptr);
    QStringList allLines(QByteArray target);
    QStringList brute(const Collection& c, const std::function<bool(const char*)>& wanted);
    bool startServer();

    TestFolder m_folder;
    std::map<QString, QByteArray> m_before;
    std::unique_ptr<CatalogueSite> m_site;
    QProcess m_server;
    quint16 m_port = 0;
};

void WebTest::initTestCase()
{
    SearchIndex::setSettle(std::chrono::milliseconds(0));
    const QString folder = m_folder.path();
    int code = 0;
    run({"--folder", folder, "sample", "books", "400"}, &code);
    QCOMPARE(code, 0);
    run({"--folder", folder, "sample", "dvd", "60"}, &code);
    QCOMPARE(code, 0);
    run({"--folder", folder, "sample", "articles", "40", "--year", "2024"}, &code);
    QCOMPARE(code, 0);
    const Collection& books = *Collection::find("books");
    const Collection& dvd = *Collection::find("dvd");
    // Loans to names found nowhere else, on cards the searches below list.
    QVERIFY(setFields(m_folder.file("Libri.pro"), books, 4, {{"Prestato", kBorrowers[0]}, {"Scadenza", "01/12/2026"}}));
    QVERIFY(setFields(m_folder.file("Libri.pro"), books, 85, {{"Prestato", kBorrowers[1]}, {"Scadenza", ""}}));
    QVERIFY(setFields(m_folder.file("DVD.pro"), dvd, 2, {{"Prestato", kBorrowers[2]}, {"Scadenza", "24/12/2026"}}));
    // A name in a loan's date field is still never shown.
    QVERIFY(setFields(m_folder.file("DVD.pro"), dvd, 3, {{"Prestato", kBorrowers[2]}, {"Scadenza", kBorrowers[2].left(10)}}));
    m_before = snapshot(folder);
    m_site = std::make_unique<CatalogueSite>(folder);
}

void WebTest::cleanupTestCase()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished(kStartMs);
    }
    // Nothing the catalogue did wrote into the folder: the same files, the
    // same bytes (no compact copy made either).
    QCOMPARE(snapshot(m_folder.path()), m_before);
}

QByteArray WebTest::page(const QByteArray& target, int* status)
{
    const WebReply r = m_site->answer("GET", target);
    if (status)
        *status = r.status;
    return r.body;
}

// Every line of a search, following rel="next" to its end.
QStringList WebTest::allLines(QByteArray target)
{
    QStringList lines;
    for (int pages = 0; !target.isEmpty() && pages < WebBudget::kMostPages; ++pages) {
        const QByteArray html = page(target);
        lines += pageLines(html);
        target = nextLink(html);
    }
    return lines;
}

// The lines of the listable cards of `c` that `wanted` accepts, read card
// by card and sorted as the search screens sort.
QStringList WebTest::brute(const Collection& c, const std::function<bool(const char*)>& wanted)
{
    const Search search(*c.search);
    RecordStore store;
    if (!store.open(m_folder.file(c.archiveName(QStringLiteral("2024"))), c.layout->size, RecordStore::Mode::ReadExisting))
        return {};
    ResultLines lines(*c.search);
    store.scan([&](const char* record, qint64) {
        if (search.listable(record) && wanted(record))
            lines.add(record);
        return true;
    });
    lines.sort();
    return lines.toStrings();
}

bool WebTest::startServer()
{
    if (m_port)
        return true;
    m_server.start(cli(), {"--folder", m_folder.path(), "serve", "--port", "0", "--log", m_folder.path() + "../web-test.log"});
    if (!m_server.waitForStarted(kStartMs))
        return false;
    while (!m_server.canReadLine()) {
        if (!m_server.waitForReadyRead(kStartMs))
            return false;
    }
    const QUrl url(QString::fromUtf8(m_server.readLine().trimmed()));
    m_port = static_cast<quint16>(url.port());
    return m_port != 0 && url.host() == QStringLiteral("127.0.0.1");
}

void WebTest::resultsListTheSearchScreensLines_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QStringList>("filters"); // field=text for the engine
    QTest::newRow("title") << QByteArray("/?titolo=notte") << "books" << QStringList{"Titolo=notte"};
    QTest::newRow("title and author") << QByteArray("/?c=libri&titolo=la&autore=an") << "books" << QStringList{"Titolo=la", "Autore=an"};
    QTest::newRow("many pages") << QByteArray("/?titolo=a") << "books" << QStringList{"Titolo=a"};
    QTest::newRow("dewey") << QByteArray("/?dewey=8") << "books" << QStringList{"Dewey=8"};
    QTest::newRow("subject") << QByteArray("/?soggetto=romanzo") << "books" << QStringList{"Genere=romanzo"};
    QTest::newRow("director") << QByteArray("/?c=dvd&autore=ba") << "dvd" << QStringList{"Regia=ba"};
    QTest::newRow("dvd genre") << QByteArray("/?c=dvd&soggetto=comm") << "dvd" << QStringList{"Genere=comm"};
    QTest::newRow("articles of a year") << QByteArray("/?c=articoli&anno=2024&autore=a") << "articles" << QStringList{"Autore=a"};
    QTest::newRow("accents") << QByteArray("/?titolo=citt%C3%A0") << "books" << QStringList{QStringLiteral("Titolo=citt\u00e0")};
}

void WebTest::resultsListTheSearchScreensLines()
{
    QFETCH(QByteArray, target);
    QFETCH(QString, collection);
    QFETCH(QStringList, filters);
    const Collection& c = *Collection::find(collection.toStdString());
    // The engine of the search screens, on a copy (it may make its compact
    // copy beside the archive).
    TestFolder other;
    const QString name = c.archiveName(QStringLiteral("2024"));
    QVERIFY(QFile::copy(m_folder.file(name), other.file(name)));
    Search engine(*c.search);
    for (const QString& f : filters)
        QVERIFY(engine.setFilter(f.section(u'=', 0, 0).toStdString(), f.section(u'=', 1)));
    QStringList expected;
    QVERIFY(engine.run(other.file(name), expected, RecordStore::Mode::ReadExisting));
    const QStringList got = allLines(target);
    QCOMPARE(got, expected);
    if (expected.size() > WebBudget::kPageLines)
        QVERIFY(!nextLink(page(target)).isEmpty());
}

void WebTest::wordsAreLookedForInPublicFieldsOnly()
{
    const Collection& books = *Collection::find("books");
    // Every word in one of the public fields the search screen filters on
    // (not the notes, which stay private).
    const QStringList words{"notte", "lorenzo"};
    auto has = [&](const char* record, const QString& word) {
        for (const char* field : {"Titolo", "Codice", "Autore", "Curatore", "Genere", "Editore", "Isbn", "Lingua", "Dewey"}) {
            if (Text::foldAZ(TextSlot::read(record, *books.layout->find(field), books.layout->kind)).contains(word))
                return true;
        }
        return false;
    };
    const QStringList expected = brute(books, [&](const char* r) { return has(r, words[0]) && has(r, words[1]); });
    QVERIFY(!expected.isEmpty());
    QCOMPARE(allLines("/?q=NOTTE+Lorenzo"), expected);
    // A word typed only in a card's notes finds nothing.
    QVERIFY(setFields(m_folder.file("Libri.pro"), books, 7, {{"Note", "parolasegretissima"}}));
    m_before = snapshot(m_folder.path());
    QVERIFY(allLines("/?q=parolasegretissima").isEmpty());
    QVERIFY(page("/?q=parolasegretissima").contains("Nessuna scheda trovata."));
    QVERIFY(!page("/scheda?c=libri&n=7").contains("parolasegretissima"));
}

void WebTest::borrowersNeverAppear()
{
    // Every results page of every collection, every card page they link,
    // every SRU record in both schemas, and searches for the names
    // themselves.
    QList<QByteArray> bodies;
    for (const QByteArray& start : {QByteArray("/?q=a"), QByteArray("/?c=dvd&q=a"), QByteArray("/?c=articoli&q=a"), QByteArray("/?q=e")}) {
        for (QByteArray target = start; !target.isEmpty();) {
            const QByteArray html = page(target);
            bodies << html;
            for (const QString& link : cardLinks(html))
                bodies << page(link.toUtf8());
            target = nextLink(html);
        }
    }
    QVERIFY(bodies.size() > 400);
    for (const char* schema : {"marcxml", "dc"}) {
        for (int start = 1; start < 420; start += WebBudget::kMostRecords)
            bodies << page(QByteArray("/sru?operation=searchRetrieve&version=1.2&query=cql.anywhere%3Da&maximumRecords=50&recordSchema=")
                + schema + "&startRecord=" + QByteArray::number(start));
    }
    for (const QString& name : kBorrowers) {
        const QByteArray encoded = QUrl::toPercentEncoding(name);
        // The form shows what the reader typed; nothing else may.
        for (const QByteArray& t : {"/?q=" + encoded, "/?autore=" + encoded, "/?c=dvd&q=" + encoded, "/sru?query=" + encoded})
            bodies << page(t).replace("value=\"" + name.toUtf8() + "\"", "");
        QVERIFY(page("/?q=" + encoded).contains("Nessuna scheda trovata."));
        QCOMPARE(sruCount(page("/sru?query=" + QUrl::toPercentEncoding(QStringLiteral("\"%1\"").arg(name)))), 0);
    }
    for (const QByteArray& body : bodies) {
        for (const QString& name : kBorrowers) {
            QVERIFY2(!body.contains(name.toUtf8()), qPrintable(name));
            QVERIFY2(!body.contains(name.left(10).toUtf8()), qPrintable(name));
        }
    }
    // The lent cards say so, with the due date where the card holds one.
    QVERIFY(page("/scheda?c=libri&n=4").contains("In prestito"));
    QVERIFY(page("/scheda?c=dvd&n=2").contains("In prestito fino al 24/12/2026"));
    QVERIFY(page("/scheda?c=dvd&n=3").contains(">In prestito<"));
}

void WebTest::pagesFollowTheCatalogue()
{
    const Collection& books = *Collection::find("books");
    const QString archive = m_folder.file("Libri.pro");
    QByteArray free = page("/scheda?c=libri&n=10");
    const bool wasLent = !free.contains("Disponibile");
    // The same search twice, then the catalogue changes under it: the next
    // request shows the change (a lend, a new title), kept results or not.
    QVERIFY(page("/?q=Tartarughino").contains("Nessuna scheda trovata."));
    QVERIFY(page("/?q=Tartarughino").contains("Nessuna scheda trovata."));
    QVERIFY(setFields(archive, books, 10,
        {{"Prestato", wasLent ? QString() : kBorrowers[0]}, {"Scadenza", wasLent ? QString() : QStringLiteral("01/12/2026")},
            {"Titolo", "Il Tartarughino"}}));
    const QByteArray after = page("/?q=Tartarughino");
    QCOMPARE(pageLines(after).size(), 1);
    QVERIFY(after.contains(wasLent ? "disponibile" : "in prestito"));
    QVERIFY(page("/scheda?c=libri&n=10").contains(wasLent ? "Disponibile" : "In prestito"));
    // Cancelled: gone from the searches and from its page.
    QVERIFY(setFields(archive, books, 10, {{"Annullata", books.yes.data()}}));
    QVERIFY(page("/?q=Tartarughino").contains("Nessuna scheda trovata."));
    int status = 0;
    page("/scheda?c=libri&n=10", &status);
    QCOMPARE(status, 404);
    m_before = snapshot(m_folder.path());
}

void WebTest::hostileRequestsAreRefused_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QByteArray thousand = "/?q=";
    for (int i = 0; i < 1000; ++i)
        thousand += "a+";
    QByteArray nested = "/sru?query=";
    for (int i = 0; i < 2000; ++i)
        nested += "%28";
    QTest::newRow("1 MB address") << QByteArray("GET") << ("/?q=" + QByteArray(1 << 20, 'a')) << 414;
    QTest::newRow("broken escape") << QByteArray("GET") << QByteArray("/?q=%zz") << 400;
    QTest::newRow("cut escape") << QByteArray("GET") << QByteArray("/?q=abc%4") << 400;
    QTest::newRow("not UTF-8") << QByteArray("GET") << QByteArray("/?q=%E0%A4") << 400;
    QTest::newRow("a thousand terms") << QByteArray("GET") << thousand << 400;
    QTest::newRow("dot dot") << QByteArray("GET") << QByteArray("/../Libri.pro") << 404;
    QTest::newRow("dot dot escaped") << QByteArray("GET") << QByteArray("/%2e%2e/Libri.pro") << 404;
    QTest::newRow("an archive") << QByteArray("GET") << QByteArray("/Libri.pro") << 404;
    QTest::newRow("the settings") << QByteArray("GET") << QByteArray("/Tomaria.ini") << 404;
    QTest::newRow("a card of another archive") << QByteArray("GET") << QByteArray("/scheda?c=../Libri&n=1") << 404;
    QTest::newRow("card past the end") << QByteArray("GET") << QByteArray("/scheda?c=libri&n=99999999") << 404;
    QTest::newRow("year with a path") << QByteArray("GET") << QByteArray("/scheda?c=articoli&a=../20&n=1") << 404;
    QTest::newRow("page too deep") << QByteArray("GET") << QByteArray("/?q=a&p=100000") << 400;
    QTest::newRow("page not a number") << QByteArray("GET") << QByteArray("/?q=a&p=x") << 400;
    QTest::newRow("post") << QByteArray("POST") << QByteArray("/") << 405;
    QTest::newRow("delete") << QByteArray("DELETE") << QByteArray("/scheda?c=libri&n=1") << 405;
    QTest::newRow("nested parentheses") << QByteArray("GET") << nested << 200;
}

void WebTest::hostileRequestsAreRefused()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    const WebReply r = m_site->answer(method, target);
    QCOMPARE(r.status, status);
    // A plain page in Italian, or an SRU diagnostic; never a file's bytes.
    if (status != 200)
        QVERIFY(r.body.contains("<html lang=\"it\">") && r.body.contains("Torna alla ricerca"));
    else
        QVERIFY(r.body.contains("diagnostic/1/"));
    QVERIFY(!r.body.contains("TSchedaLibro") && !r.body.contains(m_folder.path().toUtf8()));
}

void WebTest::sruFindsWhatThePagesFind_data()
{
    QTest::addColumn<QString>("cql");
    QTest::addColumn<QByteArray>("pageTarget"); // empty: some records, no page to compare
    QTest::newRow("title") << "dc.title=notte" << QByteArray("/?titolo=notte");
    QTest::newRow("bath title, 2.0") << "bath.title all \"notte lorenzo\"" << QByteArray("/?titolo=notte&q=lorenzo");
    QTest::newRow("author") << "dc.creator=eco" << QByteArray("/?autore=eco");
    QTest::newRow("subject") << "dc.subject=poesia" << QByteArray();
    QTest::newRow("any word") << "notte and lorenzo" << QByteArray("/?q=notte+lorenzo");
    QTest::newRow("server choice") << "cql.serverChoice all \"notte lorenzo\"" << QByteArray("/?q=notte+lorenzo");
}

void WebTest::sruFindsWhatThePagesFind()
{
    QFETCH(QString, cql);
    QFETCH(QByteArray, pageTarget);
    const QByteArray version = QByteArray(QTest::currentDataTag()).contains("2.0") ? "2.0" : "1.2";
    const QByteArray xml = page(
        "/sru?operation=searchRetrieve&version=" + version + "&maximumRecords=50&query=" + QUrl::toPercentEncoding(cql));
    QVERIFY(xml.contains(version == "2.0" ? "http://docs.oasis-open.org/ns/search-ws/sruResponse" : "http://www.loc.gov/zing/srw/"));
    if (!pageTarget.isEmpty()) {
        QStringList codes;
        for (const QString& line : allLines(pageTarget))
            codes << codeOf(line);
        QVERIFY(!codes.isEmpty());
        QCOMPARE(sruCount(xml), codes.size());
        QCOMPARE(sruCodes(xml), codes.mid(0, WebBudget::kMostRecords));
    } else {
        QVERIFY(sruCount(xml) > 0);
    }
}

void WebTest::sruDiagnostics_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("diagnostic"); // 0: none, check `count`
    QTest::addColumn<int>("count");
    QTest::newRow("unknown index") << QByteArray("query=dc.price%3D10") << 16 << 0;
    QTest::newRow("syntax") << QByteArray("query=%28notte") << 10 << 0;
    QTest::newRow("relation") << QByteArray("query=dc.title%3Cnotte") << 19 << 0;
    QTest::newRow("modifier") << QByteArray("query=dc.title%3D/stem%20notte") << 20 << 0;
    QTest::newRow("version") << QByteArray("version=3.0&query=notte") << 5 << 0;
    QTest::newRow("schema") << QByteArray("query=notte&recordSchema=mods") << 66 << 0;
    QTest::newRow("no query") << QByteArray("operation=searchRetrieve") << 7 << 0;
    QTest::newRow("private field") << QByteArray("query=%22parolasegretissima%22") << 0 << 0;
    QTest::newRow("isbn without hyphens") << QByteArray("query=bath.isbn%3D9788864035048") << 0 << 1;
    QTest::newRow("exact title") << QByteArray("query=dc.title%20exact%20%22la%20notte%20di%20san%20lorenzo%22") << 0 << -1;
    QTest::newRow("or") << QByteArray("query=dc.title%3Dnotte%20or%20dc.title%3Dinverno") << 0 << -1;
    QTest::newRow("not") << QByteArray("query=dc.title%3Dnotte%20not%20lorenzo") << 0 << -1;
}

void WebTest::sruDiagnostics()
{
    QFETCH(QByteArray, query);
    QFETCH(int, diagnostic);
    QFETCH(int, count);
    const QByteArray xml = page("/sru?operation=searchRetrieve&" + query);
    if (diagnostic) {
        QVERIFY2(xml.contains("info:srw/diagnostic/1/" + QByteArray::number(diagnostic) + "<"), xml.constData());
        return;
    }
    QVERIFY2(!xml.contains("diagnostic/1/"), xml.constData());
    const Collection& books = *Collection::find("books");
    auto title = [&](const char* r) { return Text::foldAZ(TextSlot::read(r, *books.layout->find("Titolo"), books.layout->kind)); };
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    if (tag == u"exact title")
        count = static_cast<int>(brute(books, [&](const char* r) { return title(r) == QStringLiteral("la notte di san lorenzo"); }).size());
    else if (tag == u"or")
        count = static_cast<int>(
            brute(books, [&](const char* r) { return title(r).contains(u"notte") || title(r).contains(u"inverno"); }).size());
    else if (tag == u"not")
        count = static_cast<int>(brute(books, [&](const char* r) {
            const auto all = [&](const char* field) {
                return Text::foldAZ(TextSlot::read(r, *books.layout->find(field), books.layout->kind));
            };
            bool lorenzo = false;
            for (const char* f : {"Titolo", "Codice", "Autore", "Curatore", "Genere", "Editore", "Isbn", "Lingua", "Dewey"})
                lorenzo = lorenzo || all(f).contains(u"lorenzo");
            return title(r).contains(u"notte") && !lorenzo;
        }).size());
    QVERIFY(count > 0 || tag == u"private field");
    QCOMPARE(sruCount(xml), count);
}

void WebTest::browserSubmitsTheFormAndGetsTheCliItems()
{
    QVERIFY(startServer());
    Browser browser;
    if (!browser.start())
        QSKIP("chromium is not installed (tools/install-deps.sh installs it for the tests)");
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
    QVERIFY(browser.open(base));
    QCOMPARE(browser.evaluate("document.querySelectorAll('form input#q, form input#titolo, form button').length").toInt(), 3);
    // A reader opens the fields, types a title and presses the button.
    QVERIFY(browser.act("document.querySelector('details').open = true;"
                        "document.querySelector('#titolo').value = 'la';"
                        "document.querySelector('form button').click()"));
    QVERIFY(browser.evaluate("location.search").toString().contains("titolo=la"));
    QStringList got;
    for (int pages = 0; pages < 100; ++pages) {
        const QJsonArray lines = browser.evaluate("[...document.querySelectorAll('li[data-riga]')].map(l => l.dataset.riga)").toArray();
        for (const QJsonValue& l : lines)
            got << l.toString();
        if (!browser.evaluate("!!document.querySelector('a[rel=next]')").toBool())
            break;
        QVERIFY(browser.act("document.querySelector('a[rel=next]').click()"));
    }
    // tomaria-cli search over a copy (it may make its compact copy).
    TestFolder other;
    QVERIFY(QFile::copy(m_folder.file("Libri.pro"), other.file("Libri.pro")));
    int code = 0;
    const QStringList expected
        = QString::fromUtf8(run({"--folder", other.path(), "search", "books", "--titolo", "la"}, &code)).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(code, 0);
    QVERIFY(expected.size() > WebBudget::kPageLines);
    QCOMPARE(got, expected);
}

void WebTest::curlAndYazClientFindTheSameRecords()
{
    QVERIFY(startServer());
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
    QStringList pageCodes;
    for (const QString& line : allLines("/?titolo=notte"))
        pageCodes << codeOf(line);
    QVERIFY(!pageCodes.isEmpty());
    QProcess curl;
    curl.start(
        "curl", {"-sS", "--max-time", "60", base + "sru?version=1.2&operation=searchRetrieve&maximumRecords=50&query=dc.title%3Dnotte"});
    QVERIFY(curl.waitForFinished(kRunMs));
    QCOMPARE(curl.exitCode(), 0);
    const QByteArray xml = curl.readAllStandardOutput();
    QCOMPARE(sruCodes(xml), pageCodes);
    // yaz-client, by GET with SRU 2.0 and by POST with 1.2.
    for (const char* how : {"sru get 2.0", "sru post 1.2"}) {
        QProcess yaz;
        yaz.start("yaz-client", {base + "sru"});
        QVERIFY(yaz.waitForStarted(kStartMs));
        yaz.write(QByteArray(how) + "\nquerytype cql\nfind dc.title=notte\nshow 1+" + QByteArray::number(pageCodes.size()) + "\nquit\n");
        yaz.closeWriteChannel();
        QVERIFY(yaz.waitForFinished(kRunMs));
        const QByteArray said = yaz.readAllStandardOutput();
        QVERIFY2(said.contains("Number of hits: " + QByteArray::number(pageCodes.size())), said.constData());
        QCOMPARE(sruCodes(said), pageCodes);
    }
}

void WebTest::hostileClientsAreDroppedWhileOthersAreServed()
{
    QVERIFY(startServer());
    // A client that sends a byte a second: others are answered meanwhile,
    // and it is dropped before its request is whole.
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(slow.waitForConnected(kStartMs));
    const QByteArray request = "GET /?q=notte HTTP/1.1\r\nHost: localhost\r\nX-Attesa: " + QByteArray(200, 'x') + "\r\n\r\n";
    bool dropped = false;
    int sent = 0;
    for (; sent < request.size() && !dropped; ++sent) {
        slow.write(request.mid(sent, 1));
        slow.flush();
        dropped = slow.waitForDisconnected(1000) || slow.state() != QAbstractSocket::ConnectedState;
        if (sent == 3) {
            QCOMPARE(get(m_port, "/?q=notte").status, 200);
            // A 1 MB address, broken escapes and a thousand terms, over the
            // wire: answered or closed, never served a file.
            const Answer huge = get(m_port, "/?q=" + QByteArray(1 << 20, 'a'));
            QVERIFY(huge.status == 414 || huge.status == 0);
            QVERIFY(QList<int>({200, 400}).contains(get(m_port, "/?q=%zz%ZZ%").status));
            QByteArray thousand = "/?q=";
            for (int i = 0; i < 1000; ++i)
                thousand += "a+";
            QCOMPARE(get(m_port, thousand).status, 400);
            const Answer dots = exchange(m_port, "GET /../Libri.pro HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
            QVERIFY(dots.status == 404 || dots.status == 400 || dots.status == 0);
            QVERIFY(!dots.body.contains("TSchedaLibro"));
            QCOMPARE(get(m_port, "/scheda?c=libri&n=1").status, 200);
        }
    }
    QVERIFY2(dropped, "the slow client was never dropped");
    QVERIFY(sent < request.size());
    QCOMPARE(get(m_port, "/").status, 200);
    // The log says what happened, where the user can read it.
    QFile log(m_folder.path() + "../web-test.log");
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    QVERIFY(logged.contains("GET /?q=notte 200"));
    QVERIFY(logged.contains("richiesta non completata in tempo"));
}

QTEST_GUILESS_MAIN(WebTest)
#include "test_web.moc"
