// The search engine of the core, without screens: read by several threads
// in pieces, a search gives exactly the lines and order of one pass. This
// program is also run under ThreadSanitizer by ./test.sh.

#include "CoreSupport.h"

#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/storage/Record.h"

#include <QTest>

namespace {
using Fields = QList<QPair<QString, QString>>;
} // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void threadsGiveTheLinesOfOnePass_data();
    void threadsGiveTheLinesOfOnePass();
};

void SearchTest::threadsGiveTheLinesOfOnePass_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("available");
    QTest::addColumn<Fields>("filters");
    for (const Collection* c : Collection::all()) {
        const QByteArray key(c->key.data(), qsizetype(c->key.size()));
        QTest::addRow("%s, no filter", key.constData()) << key << false << Fields{};
        if (c->available)
            QTest::addRow("%s, available", key.constData()) << key << true << Fields{{"Titolo", "la"}};
    }
    QTest::newRow("books, one filter") << QByteArray("books") << false << Fields{{"Autore", "calvino"}};
    QTest::newRow("books, two broad filters") << QByteArray("books") << false << Fields{{"Titolo", "i"}, {"Editore", "e"}};
    QTest::newRow("books, nothing matches") << QByteArray("books") << false << Fields{{"Titolo", "zzz"}};
}

// Codes run against the archive order and repeat, so that joining the
// pieces wrongly shows in the order.
void SearchTest::threadsGiveTheLinesOfOnePass()
{
    QFETCH(QByteArray, key);
    QFETCH(bool, available);
    QFETCH(Fields, filters);
    const Collection* collection = Collection::find(key.toStdString());
    QVERIFY(collection);
    constexpr int kCards = 401;
    TestFolder folder;
    SampleCards cards(11);
    Record record(*collection->layout);
    QByteArray all;
    for (int i = 1; i <= kCards; ++i) {
        cards.fill(*collection, record, i);
        if (collection->layout->find("Codice"))
            record.setText("Codice", QStringLiteral("C%1").arg((kCards - i) % 97));
        all += record.bytes();
    }
    folder.write(QStringLiteral("archivio"), all);
    Search search(available ? *collection->available : *collection->search);
    for (const auto& [field, text] : filters)
        QVERIFY(search.setFilter(field.toStdString(), text));
    search.setThreads(1);
    QStringList onePass;
    QVERIFY(search.run(folder.file(QStringLiteral("archivio")), onePass));
    QVERIFY(filters.isEmpty() || onePass.size() < kCards);
    for (int threads : {0, 2, 3, 7, kCards, kCards + 5}) {
        search.setThreads(threads);
        QStringList lines;
        QVERIFY(search.run(folder.file(QStringLiteral("archivio")), lines));
        QCOMPARE(lines, onePass);
    }
}

QTEST_GUILESS_MAIN(SearchTest)
#include "test_search.moc"
