#include "TestSupport.h"

#include "cli/CommandLine.h"
#include "storage/Layouts.h"
#include "storage/Record.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextStream>

namespace {

struct Result {
    int code;
    QString out;
    QString err;
};

Result cli(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = CommandLine::run(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}

QByteArray goodBook(int i)
{
    Record r(TSchedaLibro);
    r.setText("Titolo", QStringLiteral("Titolo %1").arg(i));
    r.setText("Codice", QStringLiteral("C%1").arg(i));
    r.setText("Autore", QStringLiteral("Autore"));
    r.setText("Annullata", QStringLiteral("No"));
    return r.bytes();
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void checkFindsEachDefect_data();
    void checkFindsEachDefect();
    void checkLeavesArchivesAlone();
    void sampleIsDeterministicAndAppends();
    void badArguments_data();
    void badArguments();
};

void CliTest::checkFindsEachDefect_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("expected");
    QByteArray overlong = goodBook(2);
    overlong[251] = char(30); // "Codice" holds at most 24
    QByteArray flag = goodBook(2);
    flag[1728] = 0; // neither "Sì" nor "No"
    Record noAuthor(TSchedaLibro);
    noAuthor.bytes() = goodBook(2);
    noAuthor.setText("Autore", QStringLiteral("   "));
    QTest::newRow("clean") << goodBook(1) + goodBook(2) << QStringLiteral("Nessun problema trovato.");
    QTest::newRow("partial record") << goodBook(1) + QByteArray(17, 'x') << QStringLiteral("incompleta in coda all'archivio: 17 byte");
    QTest::newRow("length byte above capacity") << goodBook(1) + overlong << QStringLiteral("oltre la sua capienza: 1 (posizioni 2)");
    QTest::newRow("cancelled flag") << goodBook(1) + flag << QStringLiteral("diverso da \"Sì\" e \"No\": 1 (posizioni 2)");
    QTest::newRow("required field") << goodBook(1) + noAuthor.bytes() << QStringLiteral("obbligatorio vuoto: 1 (posizioni 2)");
}

void CliTest::checkFindsEachDefect()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, expected);
    TestFolder folder;
    folder.write("Libri.pro", archive);
    const Result r = cli({"--folder", folder.path(), "check", "books"});
    QVERIFY2(r.out.contains(expected), qPrintable(r.out));
    QCOMPARE(r.code, expected.startsWith(QLatin1String("Nessun")) ? 0 : 1);
    QCOMPARE(folder.read("Libri.pro"), archive);
}

void CliTest::checkLeavesArchivesAlone()
{
    TestFolder folder;
    const Result r = cli({"--folder", folder.path(), "check", "dvd"});
    QCOMPARE(r.code, 2);
    QVERIFY(!QFile::exists(folder.file("DVD.pro"))); // reported, not created
    const Result a = cli({"--folder", folder.path(), "check", "articles", "--year", "2015"});
    QCOMPARE(a.code, 2);
    QVERIFY(!QFile::exists(folder.file("2015.art")));
}

void CliTest::sampleIsDeterministicAndAppends()
{
    TestFolder one, two;
    one.write("DVD.pro", QByteArray());
    QCOMPARE(cli({"--folder", one.path(), "sample", "dvd", "50", "--seed", "9"}).code, 0);
    QCOMPARE(cli({"--folder", two.path(), "sample", "dvd", "50", "--seed", "9"}).code, 0);
    const QByteArray first = one.read("DVD.pro");
    QCOMPARE(first.size(), 50 * 3634);
    QCOMPARE(two.read("DVD.pro"), first);
    QCOMPARE(cli({"--folder", one.path(), "sample", "dvd", "5", "--seed", "3"}).code, 0);
    QCOMPARE(one.read("DVD.pro").left(first.size()), first); // earlier cards untouched
    QCOMPARE(cli({"--folder", one.path(), "check", "dvd"}).code, 0);
    QCOMPARE(cli({"--folder", one.path(), "sample", "articles", "20", "--year", "2016"}).code, 0);
    QCOMPARE(cli({"--folder", one.path(), "check", "articles", "--year", "2016"}).code, 0);
}

void CliTest::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"erase", "books"};
    QTest::newRow("unknown collection") << QStringList{"check", "cds"};
    QTest::newRow("articles without year") << QStringList{"check", "articles"};
    QTest::newRow("bad year") << QStringList{"check", "articles", "--year", "15"};
    QTest::newRow("year for books") << QStringList{"check", "books", "--year", "2015"};
    QTest::newRow("sample without count") << QStringList{"sample", "books"};
    QTest::newRow("sample bad count") << QStringList{"sample", "books", "molti"};
    QTest::newRow("option without value") << QStringList{"check", "books", "--folder"};
}

void CliTest::badArguments()
{
    QFETCH(QStringList, args);
    TestFolder folder;
    const Result r = cli(QStringList{"--folder", folder.path()} + args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QLatin1String("Usage:")));
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty()); // nothing created
}

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
