// The search engine of the core, without screens: read by several threads
// in pieces, a search gives exactly the lines and order of one pass; led by
// the archive's compact copy, it gives the lines of a pass over every
// record, whatever happened to the archive since the copy was made. This
// program is also run under ThreadSanitizer by ./test.sh.

#include "CoreSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/search/Fold.h"
#include "core/search/ResultLines.h"
#include "core/search/Search.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchIndexKeeper.h"
#include "core/search/SearchTable.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/Cp1252.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/storage/WriteFollower.h"
#include "core/text/Text.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace {
using Fields = QList<QPair<QString, QString>>;

const QString kArchive = QStringLiteral("archivio");

// Generated cards whose codes run against the archive order and repeat.
QByteArray sampleCards(const Collection& collection, int count, std::uint32_t seed = 11)
{
    SampleCards cards(seed);
    Record record(*collection.layout);
    QByteArray all;
    for (int i = 1; i <= count; ++i) {
        cards.fill(collection, record, i);
        if (collection.layout->find("Codice"))
            record.setText("Codice", QStringLiteral("C%1").arg((count - i) % 97));
        all += record.bytes();
    }
    return all;
}

struct stat statOf(const QString& path)
{
    struct stat st { };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Waits until a file made now in the archive's folder gets a later time
// than the archive's last change, so that a copy made from here on is
// trusted; false after a few seconds.
bool clockPastChange(const TestFolder& folder)
{
    const qint64 changed = nanoseconds(statOf(folder.file(kArchive)).st_ctim);
    for (int i = 0; i < 5000; ++i) {
        folder.write(QStringLiteral("orologio"), "x");
        if (nanoseconds(statOf(folder.file(QStringLiteral("orologio"))).st_mtim) > changed)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// The lines of a pass over every record: no copy beside the archive, and
// none made.
QStringList passLines(const Search& search, const QString& archive, bool* ok = nullptr)
{
    QFile::remove(SearchIndex::pathFor(archive));
    const auto settle = SearchIndex::settle();
    SearchIndex::setSettle(std::chrono::hours(1));
    QStringList lines;
    const bool read = search.run(archive, lines);
    SearchIndex::setSettle(settle);
    if (ok)
        *ok = read;
    return read && !search.usedIndex() ? lines : QStringList{QStringLiteral("(failed)")};
}

// Runs `search` once so that the copy is made; true when a copy of the
// table's fields that describes the archive as it is lies beside it.
bool makeCopy(const TestFolder& folder, const Search& search)
{
    QStringList lines;
    if (!clockPastChange(folder) || !search.run(folder.file(kArchive), lines))
        return false;
    const SearchTable& table = search.table();
    std::vector<const FieldDef*> fields;
    for (const SearchFilter& f : table.filters)
        fields.push_back(table.layout->find(f.field));
    RecordStore store;
    SearchIndex copy;
    return store.open(folder.file(kArchive), table.layout->size, RecordStore::Mode::Read) && copy.open(store, table.layout->kind, fields);
}

// The cards whose `field` contains `needle` (A-Z case ignored): those the
// copy names.
int containing(const QByteArray& archive, const RecordLayout& layout, std::string_view field, const QString& needle)
{
    const FieldDef* f = layout.find(field);
    QByteArray wanted = Cp1252::encode(needle);
    Fold::into(std::string_view(wanted.constData(), std::size_t(wanted.size())), wanted.data());
    int n = 0;
    for (qsizetype at = 0; at + layout.size <= archive.size(); at += layout.size) {
        const std::string_view raw = TextSlot::raw(archive.constData() + at, *f, layout.kind);
        std::string folded(raw.size(), '\0');
        Fold::into(raw, folded.data());
        n += folded.find(std::string_view(wanted.constData(), std::size_t(wanted.size()))) != std::string::npos;
    }
    return n;
}

// Runs a command to its end (bounded); true when it exited with 0.
bool runCommand(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Another program writes `bytes` over card `index` of the archive, in
// place, and sets its modification time back to what it was.
bool rewriteElsewhere(const TestFolder& folder, qint64 index, const QByteArray& bytes)
{
    const QString archive = folder.file(kArchive);
    const struct stat before = statOf(archive);
    folder.write(QStringLiteral("scheda"), bytes);
    const QString stamp = QStringLiteral("@%1.%2").arg(before.st_mtim.tv_sec).arg(before.st_mtim.tv_nsec, 9, 10, QLatin1Char('0'));
    return runCommand(QStringLiteral("dd"),
               {QStringLiteral("if=") + folder.file(QStringLiteral("scheda")), QStringLiteral("of=") + archive,
                   QStringLiteral("bs=%1").arg(bytes.size()), QStringLiteral("seek=%1").arg(index), QStringLiteral("conv=notrunc"),
                   QStringLiteral("status=none")})
        && runCommand(QStringLiteral("touch"), {QStringLiteral("-m"), QStringLiteral("-d"), stamp, archive})
        && statOf(archive).st_size == before.st_size && nanoseconds(statOf(archive).st_mtim) == nanoseconds(before.st_mtim);
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void threadsGiveTheLinesOfOnePass_data();
    void threadsGiveTheLinesOfOnePass();
    void copyGivesTheLinesOfAPass_data();
    void copyGivesTheLinesOfAPass();
    void copyFindsTextAnywhereInAValue_data();
    void copyFindsTextAnywhereInAValue();
    void copyFollowsTheArchive_data();
    void copyTrailerIsBoundedBeforeUse_data();
    void copyTrailerIsBoundedBeforeUse();
    void ownWritesKeepTheCopy_data();
    void ownWritesKeepTheCopy();
    void copyFollowsTheArchive();
    void shrinkingArchiveFailsOrTellsTheTruth_data();
    void shrinkingArchiveFailsOrTellsTheTruth();
    void lookUpsMatchEveryRecord_data();
    void lookUpsMatchEveryRecord();
};

// A copy is trusted as soon as the file system's clock has moved past the
// archive's last change, so that the tests need not wait.
void SearchTest::initTestCase()
{
    SearchIndex::setSettle(std::chrono::nanoseconds(0));
}

void SearchTest::cleanupTestCase()
{
    Search::setTestHook({});
}

// clang-format off
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
// clang-format on

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

// Every filter of every search table, alone: the copy names exactly the
// cards whose field holds the text (as typed in any case), and the lines
// are those of a pass over every record. The copy is used whenever those
// cards are few.
// clang-format off
void SearchTest::copyGivesTheLinesOfAPass_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("field");
    for (const Collection* c : Collection::all()) {
        const QByteArray key(c->key.data(), qsizetype(c->key.size()));
        for (const bool available : {false, true}) {
            const SearchTable* table = available ? c->available : c->search;
            if (!table)
                continue;
            for (const SearchFilter& f : table->filters)
                QTest::addRow("%s%s, %s", key.constData(), available ? " available" : "", f.field.data())
                    << key << available << Text::latin1(f.field);
        }
    }
}
// clang-format on

void SearchTest::copyGivesTheLinesOfAPass()
{
    QFETCH(QByteArray, key);
    QFETCH(bool, available);
    QFETCH(QString, field);
    const Collection& collection = *Collection::find(key.toStdString());
    const SearchTable& table = available ? *collection.available : *collection.search;
    constexpr int kCards = 600;
    TestFolder folder;
    const QByteArray all = sampleCards(collection, kCards);
    folder.write(kArchive, all);
    Search search(table);
    QVERIFY(makeCopy(folder, search));
    // The start of the value of a listed card, a-z written A-Z: the
    // filters ignore that case, and only that.
    const FieldDef& f = *collection.layout->find(field.toStdString());
    QString needle;
    for (int i = kCards / 3; i < kCards && needle.isEmpty(); ++i) {
        const char* record = all.constData() + qsizetype(i) * collection.layout->size;
        if (search.listable(record))
            needle = Text::trimmed(TextSlot::read(record, f, collection.layout->kind).left(24));
    }
    for (QChar& c : needle)
        c = c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c;
    if (needle.isEmpty())
        needle = QStringLiteral("A");
    QVERIFY(search.setFilter(field.toStdString(), needle));
    QStringList lines;
    QVERIFY(search.run(folder.file(kArchive), lines));
    const bool few = containing(all, *collection.layout, field.toStdString(), needle) <= kCards / 16;
    QCOMPARE(search.usedIndex(), few);
    QCOMPARE(lines, passLines(search, folder.file(kArchive)));
    QVERIFY(!lines.isEmpty() || needle == QStringLiteral("A"));
}

// A text at the start or the end of a value, of the first or the last
// card, of any length: the copy's search looks at sixteen places at a time
// and must miss none, nor take two values for one.
// clang-format off
void SearchTest::copyFindsTextAnywhereInAValue_data()
{
    QTest::addColumn<int>("card");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    const QString longText = QStringLiteral("Abcdefghij klmnopqrst uvwxyz0123 456789abcdefghijk");
    for (const int card : {0, 1, 298, 299}) {
        for (const int length : {1, 2, 3, 15, 16, 17, 31, 40}) {
            QTest::addRow("card %d, %d at the start", card, length) << card << longText << longText.left(length).toLower();
            QTest::addRow("card %d, %d at the end", card, length) << card << longText << longText.right(length).toUpper();
        }
        QTest::addRow("card %d, across two values", card) << card << QStringLiteral("Qqq") << QStringLiteral("qqqqqq");
    }
}
// clang-format on

void SearchTest::copyFindsTextAnywhereInAValue()
{
    QFETCH(int, card);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    const Collection& books = Books::collection();
    const RecordLayout& layout = *books.layout;
    constexpr int kCards = 300;
    TestFolder folder;
    QByteArray all;
    for (int i = 0; i < kCards; ++i) {
        // Short values that hold none of the texts looked for; the value
        // after the card's begins as the card's ends.
        const QString own = i == card ? title : i == card + 1 || i == card - 1 ? QStringLiteral("qqqzz") : QStringLiteral("zz");
        all += ::card(layout, {{"Titolo", own}, {"Codice", QStringLiteral("T%1").arg(i)}, {"Annullata", QStringLiteral("No")}});
    }
    folder.write(kArchive, all);
    Search search(*books.search);
    QVERIFY(makeCopy(folder, search));
    QVERIFY(search.setFilter("Titolo", filter));
    QStringList lines;
    QVERIFY(search.run(folder.file(kArchive), lines));
    QVERIFY(search.usedIndex());
    QCOMPARE(lines, passLines(search, folder.file(kArchive)));
    const bool across = filter == QLatin1String("qqqqqq");
    QCOMPARE(lines.size(), across ? 0 : 1);
    QVERIFY(across
        || std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(QStringLiteral("Cod. T%1 ").arg(card)); }));
}

// The program's own writes keep the copy true under the archive's lock: the
// first search after a card written in place, replaced (the desk's lend)
// or appended uses the copy and gives the lines of a pass over every
// record, the new card among them. A write by another program still leaves
// the copy unused.
// clang-format off
void SearchTest::ownWritesKeepTheCopy_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<bool>("kept");
    QTest::newRow("a card written in place") << QStringLiteral("write") << true;
    QTest::newRow("a card replaced where it was as read") << QStringLiteral("replace") << true;
    QTest::newRow("a card written after the last") << QStringLiteral("end") << true;
    QTest::newRow("cards appended") << QStringLiteral("append") << true;
    QTest::newRow("cards appended in batches, as an import") << QStringLiteral("batches") << true;
    QTest::newRow("an append cancelled") << QStringLiteral("cancel") << false;
    QTest::newRow("rewritten in place by another program") << QStringLiteral("foreign") << false;
}
// clang-format on

void SearchTest::ownWritesKeepTheCopy()
{
    QFETCH(QString, write);
    QFETCH(bool, kept);
    SearchIndexKeeper::install();
    const auto uninstall = qScopeGuard([] { WriteFollower::set(nullptr); });
    const Collection& books = Books::collection();
    const RecordLayout& layout = *books.layout;
    constexpr int kCards = 500;
    constexpr int kChanged = 321;
    TestFolder folder;
    const QString archive = folder.file(kArchive);
    const QByteArray all = sampleCards(books, kCards);
    folder.write(kArchive, all);
    Search search(*books.search);
    QVERIFY(search.setFilter("Autore", QStringLiteral("zanzotto")));
    QVERIFY(search.setFilter("Titolo", QStringLiteral("laguna")));
    QVERIFY(makeCopy(folder, search));
    const QByteArray target = card(layout,
        {{"Titolo", QStringLiteral("Laguna di sera")}, {"Autore", QStringLiteral("Andrea Zanzotto")}, {"Codice", QStringLiteral("Z1")},
            {"Annullata", QStringLiteral("No")}});

    RecordStore store;
    QVERIFY(store.open(archive, layout.size));
    if (write == QLatin1String("write") || write == QLatin1String("end")) {
        QVERIFY(store.seek(write == QLatin1String("end") ? kCards : kChanged));
        QVERIFY(store.write(target));
    } else if (write == QLatin1String("replace")) {
        QVERIFY(store.seek(kChanged));
        QVERIFY(store.replace(all.mid(kChanged * layout.size, layout.size), target));
    } else if (write == QLatin1String("append")) {
        QVERIFY(store.append(sampleCards(books, 2) + target));
    } else if (write == QLatin1String("batches") || write == QLatin1String("cancel")) {
        QVERIFY(store.beginAppend());
        // More cards than the keeper reads at once.
        QVERIFY(store.appendBatch(sampleCards(books, 600, 12)));
        QVERIFY(store.appendBatch(target));
        QVERIFY(write == QLatin1String("batches") ? store.commitAppend() : store.cancelAppend());
    } else {
        QVERIFY(rewriteElsewhere(folder, kChanged, target));
    }
    store.close();

    // Whether the copy describes the archive as it is, before any search.
    const SearchTable& table = search.table();
    std::vector<const FieldDef*> fields;
    for (const SearchFilter& f : table.filters)
        fields.push_back(table.layout->find(f.field));
    {
        RecordStore reader;
        SearchIndex copy;
        QVERIFY(reader.open(archive, layout.size, RecordStore::Mode::Read));
        QCOMPARE(copy.open(reader, layout.kind, fields), kept);
    }
    QStringList after;
    QVERIFY(search.run(archive, after));
    QCOMPARE(search.usedIndex(), kept);
    const QStringList truth = passLines(search, archive);
    QCOMPARE(after, truth);
    const bool shows = std::any_of(after.begin(), after.end(), [](const QString& l) { return l.startsWith(QStringLiteral("Cod. Z1")); });
    QCOMPARE(shows, write != QLatin1String("cancel"));
}

// Whatever changes the archive after the copy was made, the next search
// gives the lines of a pass over every record, and the card that changed
// shows as it is now.
// clang-format off
// A copy whose trailer is whole (its checksum right) but whose counts are
// out of every bound is refused before any product of them is formed or
// any table sized from them; the search reads the archive instead.
// clang-format off
void SearchTest::copyTrailerIsBoundedBeforeUse_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<qint64>("value");
    QTest::newRow("chunks near the top of 64 bits") << "chunks" << (qint64(1) << 62);
    QTest::newRow("more chunks than cards") << "chunks" << qint64(501);
    QTest::newRow("negative chunks") << "chunks" << qint64(-1);
    QTest::newRow("directory bytes beyond the file") << "directoryBytes" << (qint64(1) << 61);
    QTest::newRow("negative directory bytes") << "directoryBytes" << qint64(-7);
    QTest::newRow("directory beyond the file") << "directoryAt" << (qint64(1) << 62);
    QTest::newRow("columns beyond any table") << "columns" << (qint64(1) << 40);
    QTest::newRow("records not the archive's") << "records" << (qint64(1) << 62);
}
// clang-format on

void SearchTest::copyTrailerIsBoundedBeforeUse()
{
    QFETCH(QString, field);
    QFETCH(qint64, value);
    const Collection& books = Books::collection();
    TestFolder folder;
    folder.write(kArchive, sampleCards(books, 500));
    Search search(*books.search);
    QVERIFY(search.setFilter("Titolo", QStringLiteral("a")));
    QVERIFY(makeCopy(folder, search));
    QStringList before;
    QVERIFY(search.run(folder.file(kArchive), before));
    RecordStore store;
    QVERIFY(store.open(folder.file(kArchive), books.layout->size, RecordStore::Mode::Read));
    std::vector<const FieldDef*> fields;
    for (const SearchFilter& f : books.search->filters)
        fields.push_back(books.layout->find(f.field));
    {
        SearchIndex whole;
        QVERIFY(whole.open(store, books.layout->kind, fields)); // the copy as made is taken
    }

    const QString path = SearchIndex::pathFor(folder.file(kArchive));
    QFile copy(path);
    QVERIFY(copy.open(QIODevice::ReadWrite));
    SearchIndex::Trailer t;
    QVERIFY(copy.seek(copy.size() - qint64(sizeof t)));
    QCOMPARE(copy.read(reinterpret_cast<char*>(&t), sizeof t), qint64(sizeof t));
    std::int64_t* at = field == QLatin1String("chunks") ? &t.chunks
        : field == QLatin1String("directoryBytes")      ? &t.directoryBytes
        : field == QLatin1String("directoryAt")         ? &t.directoryAt
        : field == QLatin1String("columns")             ? &t.columns
                                                        : &t.records;
    *at = value;
    t.trailerSum = SearchIndex::checksum(reinterpret_cast<const char*>(&t), offsetof(SearchIndex::Trailer, trailerSum));
    QVERIFY(copy.seek(copy.size() - qint64(sizeof t)));
    QCOMPARE(copy.write(reinterpret_cast<const char*>(&t), sizeof t), qint64(sizeof t));
    copy.close();

    SearchIndex index;
    QVERIFY(!index.open(store, books.layout->kind, fields));
    QStringList after;
    QVERIFY(search.run(folder.file(kArchive), after));
    QCOMPARE(after, before);
}

void SearchTest::copyFollowsTheArchive_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("rewritten in place by another program, same size, time set back") << QStringLiteral("rewrite");
    QTest::newRow("cards appended") << QStringLiteral("append");
    QTest::newRow("an interrupted append cut back by its journal") << QStringLiteral("journal");
    QTest::newRow("restored: another file renamed over it") << QStringLiteral("restore");
    QTest::newRow("copy damaged") << QStringLiteral("damage");
    QTest::newRow("copy cut short") << QStringLiteral("cut");
}
// clang-format on

void SearchTest::copyFollowsTheArchive()
{
    QFETCH(QString, change);
    const Collection& books = Books::collection();
    const RecordLayout& layout = *books.layout;
    constexpr int kCards = 500;
    TestFolder folder;
    const QString archive = folder.file(kArchive);
    QByteArray all = sampleCards(books, kCards);
    folder.write(kArchive, all);
    Search search(*books.search);
    QVERIFY(search.setFilter("Autore", QStringLiteral("zanzotto")));
    QVERIFY(search.setFilter("Titolo", QStringLiteral("laguna")));
    QVERIFY(makeCopy(folder, search));
    QStringList before;
    QVERIFY(search.run(archive, before));
    QVERIFY(search.usedIndex());
    const QByteArray target = card(layout,
        {{"Titolo", QStringLiteral("Laguna di sera")}, {"Autore", QStringLiteral("Andrea Zanzotto")}, {"Codice", QStringLiteral("Z1")},
            {"Annullata", QStringLiteral("No")}});
    const QString targetLine = QStringLiteral("Cod. Z1");
    if (change == QLatin1String("rewrite")) {
        QVERIFY(rewriteElsewhere(folder, 321, target));
    } else if (change == QLatin1String("append")) {
        RecordStore store;
        QVERIFY(store.open(archive, layout.size));
        QVERIFY(store.append(target));
    } else if (change == QLatin1String("journal")) {
        // A writer died after its journal and a card: the next opener cuts
        // the archive back, and the card is not there.
        AppendJournal::Before old;
        old.length = all.size();
        QString reason;
        QVERIFY2(AppendJournal::begin(archive, old, &reason), qPrintable(reason));
        folder.write(kArchive, all + target);
    } else if (change == QLatin1String("restore")) {
        QByteArray restored = all;
        restored.replace(7 * layout.size, layout.size, target);
        folder.write(QStringLiteral("ripristino"), restored);
        QVERIFY(runCommand(QStringLiteral("touch"), {QStringLiteral("-r"), archive, folder.file(QStringLiteral("ripristino"))}));
        QVERIFY(QFile::remove(archive));
        QVERIFY(QFile::rename(folder.file(QStringLiteral("ripristino")), archive));
    } else {
        QFile copy(SearchIndex::pathFor(archive));
        QVERIFY(copy.open(QIODevice::ReadWrite));
        if (change == QLatin1String("damage")) {
            // Every value of the first chunk's first field made empty: the
            // part still holds one end per card.
            QByteArray part = copy.read(4096);
            for (char& c : part)
                c = c ? '\x01' : c;
            QVERIFY(copy.seek(0));
            QCOMPARE(copy.write(part), part.size());
        } else {
            QVERIFY(copy.resize(copy.size() - 1));
        }
        // A title of the damaged first chunk: a copy trusted as it is
        // would miss its card.
        search.setFilter("Autore", QString());
        search.setFilter("Titolo", TextSlot::read(all.constData() + 3 * layout.size, *layout.find("Titolo"), layout.kind));
    }
    QStringList after;
    QVERIFY(search.run(archive, after));
    const QStringList truth = passLines(search, archive);
    QCOMPARE(after, truth);
    const bool shows = std::any_of(after.begin(), after.end(), [&](const QString& l) { return l.startsWith(targetLine); });
    QCOMPARE(shows, change == QLatin1String("rewrite") || change == QLatin1String("append") || change == QLatin1String("restore"));
    if (change == QLatin1String("journal"))
        QCOMPARE(after, before);
    if (change == QLatin1String("damage") || change == QLatin1String("cut"))
        QVERIFY(!after.isEmpty());
    // The copy made anew leads the next search to the same lines.
    QVERIFY(makeCopy(folder, search));
    QStringList again;
    QVERIFY(search.run(archive, again));
    QVERIFY(search.usedIndex());
    QCOMPARE(again, truth);
}

// The archive is cut to half its cards at a fixed point of a search: the
// search fails, or gives the lines of the archive as it is now; never a
// crash and never a card that is gone.
// clang-format off
void SearchTest::shrinkingArchiveFailsOrTellsTheTruth_data()
{
    QTest::addColumn<int>("point");
    QTest::newRow("after the copy named its candidates") << int(Search::TestPoint::CandidatesNamed);
    QTest::newRow("after the first piece of a pass") << int(Search::TestPoint::FirstPieceRead);
}
// clang-format on

void SearchTest::shrinkingArchiveFailsOrTellsTheTruth()
{
    QFETCH(int, point);
    const Collection& books = Books::collection();
    constexpr int kCards = 800;
    TestFolder folder;
    const QString archive = folder.file(kArchive);
    const QByteArray all = sampleCards(books, kCards);
    folder.write(kArchive, all);
    Search search(*books.search);
    search.setThreads(1);
    const bool viaCopy = point == int(Search::TestPoint::CandidatesNamed);
    if (viaCopy) {
        QVERIFY(search.setFilter("Autore", QStringLiteral("calvino")));
        QVERIFY(makeCopy(folder, search));
    }
    bool cut = false;
    Search::setTestHook([&](Search::TestPoint reached) {
        if (int(reached) != point || cut)
            return;
        QFile file(archive);
        cut = file.open(QIODevice::ReadWrite) && file.resize(qint64(kCards / 2) * books.layout->size);
    });
    QStringList lines;
    const bool ok = search.run(archive, lines);
    Search::setTestHook({});
    QVERIFY(cut);
    bool read = false;
    const QStringList now = passLines(search, archive, &read);
    QVERIFY(read);
    if (viaCopy)
        QVERIFY(ok);
    if (ok)
        QCOMPARE(lines, now);
}

// The lending desk's look-up by code and the list's hand-back to the card
// give the records that a comparison with every record gives, in archive
// order, through the copy and without it: a code is equal, never merely
// contained ("C1" is not "C12").
// clang-format off
void SearchTest::lookUpsMatchEveryRecord_data()
{
    QTest::addColumn<QByteArray>("key");
    for (const Collection* c : Collection::all()) {
        const QByteArray key(c->key.data(), qsizetype(c->key.size()));
        QTest::newRow(key.constData()) << key;
    }
}
// clang-format on

void SearchTest::lookUpsMatchEveryRecord()
{
    QFETCH(QByteArray, key);
    const Collection& collection = *Collection::find(key.toStdString());
    const SearchTable& table = *collection.search;
    const RecordLayout& layout = *collection.layout;
    constexpr int kCards = 900;
    TestFolder folder;
    const QString archive = folder.file(kArchive);
    const QByteArray all = sampleCards(collection, kCards);
    folder.write(kArchive, all);
    const auto recordAt = [&](qint64 i) { return all.constData() + i * layout.size; };
    const ResultLines builder(table);
    Search listing(table);
    QVERIFY(listing.setFilter(table.filters.front().field, QStringLiteral("e")));
    QStringList lines;
    QVERIFY(listing.run(archive, lines));
    QVERIFY(lines.size() > 10);
    for (const bool withCopy : {false, true}) {
        // Without a copy, and none made on the way.
        SearchIndex::setSettle(withCopy ? std::chrono::hours(0) : std::chrono::hours(1));
        if (withCopy)
            QVERIFY(makeCopy(folder, listing));
        else
            QFile::remove(SearchIndex::pathFor(archive));
        bool named = false;
        Search::setTestHook([&](Search::TestPoint p) { named = named || p == Search::TestPoint::CandidatesNamed; });
        const auto byCopy = [&] {
            const bool was = named;
            named = false;
            return was;
        };
        RecordStore store;
        QVERIFY(store.open(archive, layout.size, RecordStore::Mode::Read));
        if (layout.find("Codice")) {
            for (const QString& code : {QStringLiteral("c1"), QStringLiteral(" C12 "), QStringLiteral("C96"), QStringLiteral("C97")}) {
                QList<qint64> found, expected;
                QVERIFY(Search::findEqual(store, table, "Codice", code, [&](const char* record, qint64 i) {
                    QCOMPARE(QByteArray(record, layout.size), QByteArray(recordAt(i), layout.size));
                    found << i;
                }));
                for (qint64 i = 0; i < kCards; ++i) {
                    if (TextSlot::read(recordAt(i), *layout.find("Codice"), layout.kind).compare(Text::trimmed(code), Qt::CaseInsensitive)
                        == 0)
                        expected << i;
                }
                QCOMPARE(found, expected);
                // Named by the copy while the codes that hold it are few.
                QCOMPARE(byCopy(), withCopy && containing(all, layout, "Codice", Text::trimmed(code)) <= kCards / 16);
            }
        }
        // The hand-back of a few lines of the list, the first included.
        bool anyByCopy = false;
        for (qsizetype row = 0; row < lines.size(); row += lines.size() / 5) {
            QList<qint64> found, expected;
            QVERIFY(Search::findLine(store, table, lines[row], [&](const char*, qint64 i) { found << i; }));
            const QByteArray wanted = Cp1252::encode(lines[row]);
            for (qint64 i = 0; i < kCards; ++i) {
                std::string built;
                builder.build(recordAt(i), built);
                if (Text::trimmed(std::string_view(built))
                    == Text::trimmed(std::string_view(wanted.constData(), std::size_t(wanted.size()))))
                    expected << i;
            }
            QVERIFY(!expected.isEmpty());
            QCOMPARE(found, expected);
            anyByCopy = byCopy() || anyByCopy;
        }
        // The lines of books and DVDs begin with the code: the copy leads
        // their hand-back.
        QCOMPARE(anyByCopy, withCopy && layout.find("Codice") != nullptr);
        Search::setTestHook({});
    }
    SearchIndex::setSettle(std::chrono::nanoseconds(0));
}

QTEST_GUILESS_MAIN(SearchTest)
#include "test_search.moc"
