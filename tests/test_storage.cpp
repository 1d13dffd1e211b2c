#include "CoreSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/import/CardImport.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/Cp1252.h"
#include "core/storage/DiskFile.h"
#include "core/storage/FileLock.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/access/PasswordFile.h"
#include "core/access/SettingsFile.h"
#include "core/backup/CatalogueMark.h"
#include "core/desk/Stocktake.h"
#include "core/loans/LoanSettings.h"
#include "core/search/Search.h"
#include "core/search/SearchIndex.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RestoreJournal.h"
#include "core/storage/SideFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <cerrno>
#include <optional>
#include <thread>

namespace {

// A one-field layout to look at a slot's bytes alone.
FieldDef kOne[] = {{"Campo", 0, 4}};
const RecordLayout kFour{"Prova", 5, SlotKind::LengthByte, kOne};
const RecordLayout kFourZero{"ProvaZ", 5, SlotKind::ZeroTerminated, kOne};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray book(const QString& title)
{
    Record r(TSchedaLibro);
    r.setText("Titolo", title);
    return r.bytes();
}

} // namespace

class StorageTest : public QObject {
    Q_OBJECT
private slots:
    void sideFilesLeaveForeignThingsAlone_data();
    void sideFilesLeaveForeignThingsAlone();
    void sideFilesAreReplacedWhole();
    void importChecksCodesAgainUnderTheLock_data();
    void importChecksCodesAgainUnderTheLock();
    void slotEncoding_data();
    void slotEncoding();
    void slotDecoding_data();
    void slotDecoding();
    void codecRoundTripsEveryByte();
    void storeCreatesOnlyMissingArchive();
    void storeNeverTruncates();
    void storeReadOnlyArchive();
    void storeWriteTouchesOnlyItsRecord();
    void storeScanReadsEveryWholeRecord();
    void storeScanOfAFileChangedMeanwhile_data();
    void storeScanOfAFileChangedMeanwhile();
    void storeAppendsManyAtOnce();
    void storeOpensOnlyRegularFiles_data();
    void storeOpensOnlyRegularFiles();
    void storeUndoesWritesCutBySizeLimit_data();
    void storeUndoesWritesCutBySizeLimit();
    void storeWritersWaitForTheLock();
    void storeWriterGetsTheLockWhileWaiting();
    void journalCutsBackADeadAppend_data();
    void journalCutsBackADeadAppend();
    void journalHidesALiveAppendFromReaders();
    void journalOfAnUnfinishedBeginIsDropped();
    void journalAppliesOnlyToItsOwnFile_data();
    void journalAppliesOnlyToItsOwnFile();
    void writerFollowsAReplacedArchive();
    void cancelledAppendLeavesTheArchive();
    void importRunsBothPasses_data();
    void importRunsBothPasses();
    void folderWithoutLocksSaysSo();
    void failedUndoSaysTheArchiveMayHaveChanged();
};

// clang-format off
void StorageTest::slotEncoding_data()
{
    QTest::addColumn<bool>("zeroTerminated");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("trimmed") << false << QStringLiteral(" \t ab \r\n") << bytes({2, 'a', 'b', 0, 0});
    QTest::newRow("Sì as 02 53 EC") << false << QStringLiteral("Sì") << bytes({2, 0x53, 0xEC, 0, 0});
    QTest::newRow("cut at capacity") << false << QStringLiteral("abcdef") << bytes({4, 'a', 'b', 'c', 'd'});
    QTest::newRow("cut keeps it trimmed") << false << QStringLiteral("abc def") << bytes({3, 'a', 'b', 'c', 0});
    QTest::newRow("blanks only") << false << QStringLiteral("  \t") << bytes({0, 0, 0, 0, 0});
    QTest::newRow("euro from the 0x80 row") << false << QStringLiteral("5€") << bytes({2, '5', 0x80, 0, 0});
    QTest::newRow("unrepresentable") << false << QStringLiteral("a日b") << bytes({3, 'a', '?', 'b', 0});
    QTest::newRow("surrogate pair is one ?") << false << QStringLiteral("a\U0001F600") << bytes({2, 'a', '?', 0, 0});
    QTest::newRow("zero-terminated keeps blanks") << true << QStringLiteral(" a ") << bytes({' ', 'a', ' ', 0, 0});
    QTest::newRow("zero-terminated cut") << true << QStringLiteral("abcdef") << bytes({'a', 'b', 'c', 'd', 0});
}
// clang-format on

void StorageTest::slotEncoding()
{
    QFETCH(bool, zeroTerminated);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);
    Record r(zeroTerminated ? kFourZero : kFour);
    r.bytes().fill('\x55'); // leftovers of an earlier value must not survive
    r.setText("Campo", value);
    QCOMPARE(r.bytes().toHex(' '), expected.toHex(' '));
}

// clang-format off
void StorageTest::slotDecoding_data()
{
    QTest::addColumn<bool>("zeroTerminated");
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("expected");
    QTest::newRow("length byte") << false << bytes({2, 'a', 'b', 'c', 'd'}) << QStringLiteral("ab");
    QTest::newRow("length byte above capacity") << false << bytes({0xFF, 'a', 'b', 'c', 'd'}) << QStringLiteral("abcd");
    QTest::newRow("stored blanks are trimmed") << false << bytes({4, ' ', 'a', 'b', '\t'}) << QStringLiteral("ab");
    QTest::newRow("Sì") << false << bytes({2, 0x53, 0xEC, 0, 0}) << QStringLiteral("Sì");
    QTest::newRow("zero-terminated") << true << bytes({' ', 'a', 0, 'x', 'y'}) << QStringLiteral(" a");
    QTest::newRow("zero-terminated without zero") << true << bytes({'a', 'b', 'c', 'd', 'e'}) << QStringLiteral("abcde");
}
// clang-format on

void StorageTest::slotDecoding()
{
    QFETCH(bool, zeroTerminated);
    QFETCH(QByteArray, slot);
    QFETCH(QString, expected);
    Record r(zeroTerminated ? kFourZero : kFour);
    r.bytes() = slot;
    QCOMPARE(r.text("Campo"), expected);
}

void StorageTest::codecRoundTripsEveryByte()
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(static_cast<char>(b));
    bool exact = false;
    QCOMPARE(Cp1252::encode(Cp1252::decode({all.constData(), static_cast<std::size_t>(all.size())}), &exact), all);
    QVERIFY(exact);
    Cp1252::encode(u"\u0100", &exact);
    QVERIFY(!exact);
}

void StorageTest::storeCreatesOnlyMissingArchive()
{
    TestFolder folder;
    RecordStore store;
    QVERIFY(!store.open(folder.file("Libri.pro"), 3237, RecordStore::Mode::ReadExisting));
    QVERIFY(!QFile::exists(folder.file("Libri.pro")));
    QVERIFY(store.open(folder.file("Libri.pro"), 3237, RecordStore::Mode::Read));
    QCOMPARE(store.count(), 0);
    QVERIFY(!store.write(book("x"))); // opened for reading only
    store.close();
    QVERIFY(QFile::exists(folder.file("Libri.pro")));
    QCOMPARE(QFileInfo(folder.file("Libri.pro")).size(), 0);
    QVERIFY(!store.open(folder.file("nessuna/cartella/Libri.pro"), 3237));
}

void StorageTest::storeNeverTruncates()
{
    TestFolder folder;
    // Two cards and a partial third one written by someone else.
    const QByteArray original = book("Uno") + book("Due") + QByteArray(100, 'z');
    folder.write("Libri.pro", original);
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237));
    QCOMPARE(store.count(), 2);
    QCOMPARE(store.trailingBytes(), 100);
    QByteArray buffer;
    QVERIFY(store.seek(1));
    QVERIFY(store.read(buffer));
    QCOMPARE(store.index(), 2);
    QVERIFY(store.atEnd());
    QVERIFY(!store.read(buffer)); // the partial record is not a record
    QVERIFY(!store.seek(3));
    store.close();
    QCOMPARE(folder.read("Libri.pro"), original);
}

void StorageTest::storeReadOnlyArchive()
{
    TestFolder folder;
    const QByteArray original = book("Uno");
    folder.write("Libri.pro", original);
    QFile::setPermissions(folder.file("Libri.pro"), QFile::ReadOwner);
    if (QFile(folder.file("Libri.pro")).open(QIODevice::ReadWrite))
        QSKIP("running with rights that ignore file permissions");
    RecordStore store;
    QVERIFY(!store.open(folder.file("Libri.pro"), 3237));
    QVERIFY(store.open(folder.file("Libri.pro"), 3237, RecordStore::Mode::Read));
    QCOMPARE(store.count(), 1);
    store.close();
    QCOMPARE(folder.read("Libri.pro"), original);
}

void StorageTest::storeWriteTouchesOnlyItsRecord()
{
    TestFolder folder;
    folder.write("Libri.pro", book("Uno") + book("Due") + book("Tre"));
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237));
    QVERIFY(store.seek(1));
    QVERIFY(store.write(book("Nuovo")));
    QCOMPARE(store.index(), 2);
    QVERIFY(store.seek(3));
    QVERIFY(store.write(book("Quattro")));
    QCOMPARE(store.count(), 4);
    QVERIFY(!store.write(QByteArray(10, 'x'))); // wrong size: refused, nothing written
    store.close();
    QCOMPARE(folder.read("Libri.pro"), book("Uno") + book("Nuovo") + book("Tre") + book("Quattro"));
}

void StorageTest::storeScanReadsEveryWholeRecord()
{
    TestFolder folder;
    QByteArray data;
    const int n = 1500; // many blocks of book records
    for (int i = 0; i < n; ++i)
        data += book(QString::number(i));
    folder.write("Libri.pro", data + QByteArray(7, 'p'));
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237, RecordStore::Mode::Read));
    int seen = 0;
    bool inOrder = true;
    QVERIFY(store.scan([&](const char* rec, qint64 index) {
        inOrder = inOrder && TextSlot::read(rec, TSchedaLibro.fields[0], SlotKind::LengthByte) == QString::number(index);
        ++seen;
        return true;
    }));
    QCOMPARE(seen, n);
    QVERIFY(inOrder);
}

// clang-format off
void StorageTest::storeScanOfAFileChangedMeanwhile_data()
{
    QTest::addColumn<int>("changeAt");   // record whose visit changes the file
    QTest::addColumn<qint64>("newSize"); // bytes
    QTest::addColumn<bool>("readable");
    const qint64 r = 3237;
    const qint64 perBlock = RecordStore::kScanBlockBytes / r;
    QTest::newRow("emptied at the first record") << 0 << qint64(0) << false;
    QTest::newRow("cut mid-record, past the block being visited") << 10 << (perBlock + 20) * r + 100 << false;
    QTest::newRow("cut at a block's end") << int(perBlock) + 3 << 2 * perBlock * r << false;
    QTest::newRow("last record cut short") << 1400 << 1500 * r - 5 << false;
    QTest::newRow("grown: the records present at the start are read") << 700 << 1600 * r << true;
}
// clang-format on

// A backup copied over the archive or another program truncating it must
// give a failed read, never kill the process (as a mapped file would).
void StorageTest::storeScanOfAFileChangedMeanwhile()
{
    QFETCH(int, changeAt);
    QFETCH(qint64, newSize);
    QFETCH(bool, readable);
    TestFolder folder;
    QByteArray data;
    for (int i = 0; i < 1500; ++i)
        data += book(QString::number(i));
    folder.write("Libri.pro", data);
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237, RecordStore::Mode::Read));
    qint64 seen = 0;
    bool whole = true; // every record handed over is the one stored there
    const bool ok = store.scan([&](const char* rec, qint64 index) {
        if (index == changeAt && !QFile::resize(folder.file("Libri.pro"), newSize))
            qFatal("cannot resize the archive");
        whole = whole && TextSlot::read(rec, TSchedaLibro.fields[0], SlotKind::LengthByte) == QString::number(index);
        ++seen;
        return true;
    });
    QCOMPARE(ok, readable);
    QVERIFY(whole);
    QVERIFY(seen <= 1500);
    if (readable)
        QCOMPARE(seen, 1500);
}

void StorageTest::storeAppendsManyAtOnce()
{
    TestFolder folder;
    folder.write("Libri.pro", book("Uno"));
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237));
    QVERIFY(!store.append(book("Due") + QByteArray(5, 'x'))); // not whole records: nothing written
    QCOMPARE(store.count(), 1);
    QVERIFY(store.append(book("Due") + book("Tre")));
    QCOMPARE(store.index(), 3);
    store.close();
    QCOMPARE(folder.read("Libri.pro"), book("Uno") + book("Due") + book("Tre"));
}

// clang-format off
void StorageTest::storeOpensOnlyRegularFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("opens");
    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("endless device") << "/dev/zero" << false;
    QTest::newRow("empty device") << "/dev/null" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("link to nothing") << "dangling" << false;
    QTest::newRow("link to a regular file") << "link" << true;
}
// clang-format on

void StorageTest::storeOpensOnlyRegularFiles()
{
    QFETCH(QString, kind);
    QFETCH(bool, opens);
    TestFolder folder;
    const QString archive = folder.file("Libri.pro");
    std::optional<FifoWatch> fifo;
    if (kind == QLatin1String("fifo")) {
        fifo.emplace(archive);
        QVERIFY(fifo->created());
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(archive));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(folder.file("nessuno.pro"), archive));
    } else if (kind == QLatin1String("link")) {
        folder.write("vero.pro", book("Uno"));
        QVERIFY(QFile::link(folder.file("vero.pro"), archive));
    } else {
        QVERIFY(QFile::link(kind, archive));
    }
    for (const auto mode : {RecordStore::Mode::ReadWrite, RecordStore::Mode::Read, RecordStore::Mode::ReadExisting}) {
        RecordStore store;
        QCOMPARE(store.open(archive, 3237, mode), opens);
        if (opens) {
            QCOMPARE(store.count(), 1);
        } else {
            QCOMPARE(store.errorString(), DiskFile::kNotRegular);
            QVERIFY(!store.append(book("Due")));
        }
    }
    QVERIFY(!fifo || !fifo->hung());
    QVERIFY(!QFile::exists(folder.file("nessuno.pro"))); // nothing created through a dangling link
}

// clang-format off
void StorageTest::storeUndoesWritesCutBySizeLimit_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<bool>("batch");
    const QByteArray two = book("Uno") + book("Due");
    QTest::newRow("a batch of cards") << two << true;
    QTest::newRow("one new card") << two << false;
    QTest::newRow("a batch over a partial card") << two + QByteArray(1000, 'p') << true;
    QTest::newRow("one card over a partial card") << two + QByteArray(1000, 'p') << false;
}
// clang-format on

void StorageTest::storeUndoesWritesCutBySizeLimit()
{
    QFETCH(QByteArray, original);
    QFETCH(bool, batch);
    TestFolder folder;
    folder.write("Libri.pro", original);
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237));
    QVERIFY(store.seek(store.count()));
    bool written = true;
    {
        // Room for 2000 bytes of one more card: the write is cut midway.
        FileSizeLimit limit(rlim_t(2 * 3237 + 2000));
        written = batch ? store.append(book("Tre") + book("Quattro")) : store.write(book("Tre"));
    }
    QVERIFY(!written);
    QCOMPARE(store.errorString(), QStringLiteral("superato il limite di dimensione dei file"));
    QCOMPARE(store.count(), 2);
    store.close();
    QCOMPARE(folder.read("Libri.pro"), original);
}

void StorageTest::storeWritersWaitForTheLock()
{
    TestFolder folder;
    folder.write("Libri.pro", book("Uno"));
    const int patience = FileLock::patience();
    FileLock::setPatience(200);
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237));
    {
        // Another writer holds the archive (a lock belongs to its open file,
        // so a second opening in this process stands for another program).
        QFile other(folder.file("Libri.pro"));
        QVERIFY(other.open(QIODevice::ReadWrite));
        const FileLock held(other);
        QVERIFY(held.locked());
        QVERIFY(!store.append(book("Due")));
        QCOMPARE(store.errorString(), RecordStore::kLocked);
        QVERIFY(store.seek(0));
        QVERIFY(!store.write(book("Nuovo")));
        QCOMPARE(folder.read("Libri.pro"), book("Uno"));
        // Readers take no lock.
        QByteArray buffer;
        QVERIFY(store.seek(0) && store.read(buffer));
    }
    // Released: the append goes to the end as it is now, past a card that
    // another program added meanwhile, and says where it went.
    {
        QFile other(folder.file("Libri.pro"));
        QVERIFY(other.open(QIODevice::Append));
        other.write(book("Altro"));
    }
    QVERIFY(store.append(book("Due")));
    QCOMPARE(store.index(), 3);
    FileLock::setPatience(patience);
    store.close();
    QCOMPARE(folder.read("Libri.pro"), book("Uno") + book("Altro") + book("Due"));
}

void StorageTest::storeWriterGetsTheLockWhileWaiting()
{
    TestFolder folder;
    folder.write("Libri.pro", book("Uno"));
    const int patience = FileLock::patience();
    // Long enough that the writer is surely still waiting when the lock is
    // released, short enough that a writer that never sees the release
    // fails the test instead of hanging it.
    FileLock::setPatience(10000);
    auto other = std::make_unique<QFile>(folder.file("Libri.pro"));
    QVERIFY(other->open(QIODevice::ReadWrite));
    auto held = std::make_unique<FileLock>(*other);
    QVERIFY(held->locked());

    std::atomic<bool> started{false}, finished{false};
    bool appended = false;
    std::thread writer([&] {
        RecordStore store;
        if (store.open(folder.file("Libri.pro"), 3237)) {
            started = true;
            appended = store.append(book("Due"));
            store.close();
        }
        started = true;
        finished = true;
    });
    while (!started)
        std::this_thread::yield();
    // The writer is now waiting behind the lock: another program adds a
    // card and lets go.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const bool waited = !finished;
    other->seek(other->size());
    other->write(book("Altro"));
    other->flush();
    held.reset();
    other.reset();
    writer.join();
    FileLock::setPatience(patience);
    QVERIFY(waited);
    QVERIFY(appended);
    // The card lands after the one added while it waited.
    QCOMPARE(folder.read("Libri.pro"), book("Uno") + book("Altro") + book("Due"));
}

// clang-format off
void StorageTest::journalCutsBackADeadAppend_data()
{
    // An append that died after its journal and some of its bytes: every
    // kind of opener finds the archive as it was before the append.
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QString>("opener");
    const QByteArray two = book("Uno") + book("Due");
    const QByteArray partial = two + QByteArray(1000, 'p');
    for (const char* opener : {"card screen", "search", "report", "append"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, whole cards").arg(QLatin1String(opener)))) << two << QString::fromLatin1(opener);
        QTest::newRow(qPrintable(QStringLiteral("%1, after a partial card").arg(QLatin1String(opener)))) << partial << QString::fromLatin1(opener);
    }
    QTest::newRow("search, empty archive") << QByteArray() << "search";
}
// clang-format on

void StorageTest::journalCutsBackADeadAppend()
{
    QFETCH(QByteArray, original);
    QFETCH(QString, opener);
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    folder.write("Libri.pro", original);
    AppendJournal::Before before;
    before.length = original.size();
    before.tail = original.right(original.size() % 3237);
    QVERIFY(AppendJournal::begin(path, before, nullptr));
    // What the dead append left: its cards over the partial one, and a
    // partial card of its own.
    QByteArray grown = original.left(original.size() - before.tail.size()) + book("Tre") + book("Quattro") + book("Cinque").left(700);
    folder.write("Libri.pro", grown);

    RecordStore store;
    if (opener == QLatin1String("card screen"))
        QVERIFY(store.open(path, 3237, RecordStore::Mode::ReadWrite));
    else if (opener == QLatin1String("search"))
        QVERIFY(store.open(path, 3237, RecordStore::Mode::Read));
    else if (opener == QLatin1String("report"))
        QVERIFY(store.open(path, 3237, RecordStore::Mode::ReadExisting));
    if (opener == QLatin1String("append")) {
        // A writer cuts back first, under its lock, then appends at the end.
        QVERIFY(store.open(path, 3237));
        QVERIFY(store.append(book("Nuovo")));
        store.close();
        QCOMPARE(folder.read("Libri.pro"), original.left(original.size() - before.tail.size()) + book("Nuovo"));
        QVERIFY(!QFile::exists(AppendJournal::pathFor(path)));
        return;
    }
    QCOMPARE(store.count(), original.size() / 3237);
    store.close();
    QCOMPARE(folder.read("Libri.pro"), original);
    QVERIFY(!QFile::exists(AppendJournal::pathFor(path)));
}

void StorageTest::journalHidesALiveAppendFromReaders()
{
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    const QByteArray two = book("Uno") + book("Due");
    folder.write("Libri.pro", two);
    RecordStore writer;
    QVERIFY(writer.open(path, 3237));
    QVERIFY(writer.beginAppend());
    QVERIFY(writer.appendBatch(book("Tre") + book("Quattro")));
    QCOMPARE(writer.appendedRecords(), 2);
    {
        // A reader meanwhile neither cuts the live append back nor sees it.
        RecordStore reader;
        QVERIFY(reader.open(path, 3237, RecordStore::Mode::Read));
        QCOMPARE(reader.count(), 2);
        int seen = 0;
        QVERIFY(reader.scan([&](const char*, qint64) { return ++seen > 0; }));
        QCOMPARE(seen, 2);
    }
    QVERIFY(QFile::exists(AppendJournal::pathFor(path)));
    QCOMPARE(folder.read("Libri.pro").size(), 4 * 3237);
    QVERIFY(writer.commitAppend());
    QVERIFY(!QFile::exists(AppendJournal::pathFor(path)));
    RecordStore reader;
    QVERIFY(reader.open(path, 3237, RecordStore::Mode::Read));
    QCOMPARE(reader.count(), 4);
}

void StorageTest::journalOfAnUnfinishedBeginIsDropped()
{
    // A process that died while writing its journal had not appended yet:
    // the unreadable journal goes and the archive stays.
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    const QByteArray two = book("Uno") + book("Due");
    folder.write("Libri.pro", two);
    for (const QByteArray& journal : {QByteArray(), QByteArray("tomaria-jour"), QByteArray("tomaria-journal 1 12ab\n")}) {
        folder.write("Libri.pro-journal", journal);
        RecordStore store;
        QVERIFY(store.open(path, 3237, RecordStore::Mode::Read));
        QCOMPARE(store.count(), 2);
        store.close();
        QVERIFY2(!QFile::exists(AppendJournal::pathFor(path)), journal.constData());
        QCOMPARE(folder.read("Libri.pro"), two);
    }
}

// clang-format off
void StorageTest::journalAppliesOnlyToItsOwnFile_data()
{
    // A journal left beside an archive that has since been replaced (a
    // restore, an older archive put in by hand) must not cut it back, grow
    // it with zeros or write its tail over a card.
    QTest::addColumn<QString>("opener");
    QTest::addColumn<int>("journalLength");  // bytes the journal would cut to
    QTest::addColumn<int>("tailBytes");      // of a partial card it would write back
    QTest::addColumn<int>("archiveCards");   // of the archive now at the name
    QTest::addColumn<bool>("firstFormat");   // a journal of the format that named no file
    QTest::addColumn<bool>("replaced");      // the archive is another file than the journal's
    QTest::addColumn<int>("expectedCards");
    const int card = 3237;
    for (const char* opener : {"card screen", "search"}) {
        const QString o = QString::fromLatin1(opener);
        QTest::newRow(qPrintable(o + QStringLiteral(": restored copy longer than the journal"))) << o << 5 * card << 0 << 100 << false << true << 100;
        QTest::newRow(qPrintable(o + QStringLiteral(": restored copy shorter than the journal"))) << o << 5 * card << 0 << 2 << false << true << 2;
        QTest::newRow(qPrintable(o + QStringLiteral(": journal tail over a restored card"))) << o << 2 * card + 700 << 700 << 3 << false << true << 3;
        QTest::newRow(qPrintable(o + QStringLiteral(": first format, archive put in after"))) << o << 5 * card << 0 << 100 << true << true << 100;
        QTest::newRow(qPrintable(o + QStringLiteral(": first format, would grow the archive"))) << o << 5 * card << 0 << 2 << true << false << 2;
        QTest::newRow(qPrintable(o + QStringLiteral(": first format, its own archive"))) << o << 5 * card << 0 << 9 << true << false << 5;
        QTest::newRow(qPrintable(o + QStringLiteral(": own journal, file cut shorter by hand"))) << o << 5 * card << 0 << 3 << false << false << 3;
    }
}
// clang-format on

void StorageTest::journalAppliesOnlyToItsOwnFile()
{
    QFETCH(QString, opener);
    QFETCH(int, journalLength);
    QFETCH(int, tailBytes);
    QFETCH(int, archiveCards);
    QFETCH(bool, firstFormat);
    QFETCH(bool, replaced);
    QFETCH(int, expectedCards);
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    QByteArray guarded;
    for (int i = 0; i < journalLength / 3237 + 1; ++i)
        guarded += book(QStringLiteral("vecchia %1").arg(i));
    guarded.truncate(journalLength);
    folder.write("Libri.pro", guarded);
    if (firstFormat) {
        // Written as the earlier version did: after the archive was made,
        // or before the one put in its place.
        folder.write("Libri.pro-journal",
            "tomaria-journal 1 " + QByteArray::number(journalLength) + ' ' + guarded.right(tailBytes).toBase64() + "\n");
        QVERIFY(setModifiedFromNow(folder.file("Libri.pro-journal"), replaced ? -60 : 60));
    } else {
        AppendJournal::Before before;
        before.length = journalLength;
        before.tail = guarded.right(tailBytes);
        QVERIFY(AppendJournal::begin(path, before, nullptr));
    }
    QByteArray now;
    for (int i = 0; i < archiveCards; ++i)
        now += book(QStringLiteral("ripristinata %1").arg(i));
    if (replaced) {
        // A new file takes the name, as a restore's rename does.
        folder.write("nuovo", now);
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(folder.file("nuovo"), path));
    } else {
        QFile same(path);
        QVERIFY(same.open(QIODevice::ReadWrite));
        QVERIFY(same.resize(0));
        QCOMPARE(same.write(now), now.size());
    }
    if (firstFormat && !replaced && expectedCards != archiveCards && !QFileInfo(path).birthTime().isValid())
        QSKIP("this file system keeps no birth time: a journal of the first format is then always set aside");
    RecordStore store;
    QVERIFY(store.open(path, 3237, opener == QLatin1String("search") ? RecordStore::Mode::Read : RecordStore::Mode::ReadWrite));
    QCOMPARE(store.count(), expectedCards);
    store.close();
    QVERIFY(!QFile::exists(AppendJournal::pathFor(path)));
    if (expectedCards == archiveCards) {
        QCOMPARE(folder.read("Libri.pro"), now);
        QVERIFY(QFile::exists(path + AppendJournal::kSetAsideSuffix));
    } else {
        QCOMPARE(folder.read("Libri.pro"), now.left(journalLength));
    }
}

void StorageTest::writerFollowsAReplacedArchive()
{
    // A writer that opened the archive before a restore replaced it, and
    // gets the lock after: its cards go into the archive that bears the
    // name, never into the file that no longer does.
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    const QByteArray old = book("Uno") + book("Due");
    const QByteArray restored = book("A") + book("B") + book("C");
    folder.write("Libri.pro", old);
    RecordStore appender, saver;
    QVERIFY(appender.open(path, 3237));
    QVERIFY(saver.open(path, 3237));
    QVERIFY(saver.seek(1));
    folder.write("ripristinato", restored);
    QVERIFY(QFile::rename(path, folder.file("vecchio")));
    QVERIFY(QFile::rename(folder.file("ripristinato"), path));

    QVERIFY2(appender.append(book("Nuova")), qPrintable(appender.errorString()));
    QVERIFY2(saver.write(book("Salvata")), qPrintable(saver.errorString()));
    QCOMPARE(folder.read("vecchio"), old);
    QCOMPARE(folder.read("Libri.pro"), book("A") + book("Salvata") + book("C") + book("Nuova"));

    // An import in batches follows it the same way.
    folder.write("ripristinato", restored);
    QVERIFY(QFile::remove(folder.file("vecchio")));
    QVERIFY(QFile::rename(path, folder.file("vecchio")));
    QVERIFY(QFile::rename(folder.file("ripristinato"), path));
    QVERIFY(appender.beginAppend());
    QVERIFY(appender.appendBatch(book("Prima") + book("Seconda")));
    QVERIFY(appender.commitAppend());
    QCOMPARE(folder.read("Libri.pro"), restored + book("Prima") + book("Seconda"));
}

void StorageTest::cancelledAppendLeavesTheArchive()
{
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    const QByteArray original = book("Uno") + QByteArray(100, 'p');
    folder.write("Libri.pro", original);
    {
        RecordStore store;
        QVERIFY(store.open(path, 3237));
        QVERIFY(store.beginAppend());
        QVERIFY(store.appendBatch(book("Due") + book("Tre")));
        QVERIFY(store.cancelAppend());
        QCOMPARE(folder.read("Libri.pro"), original);
        // Closing a store in the middle of an append cancels it too.
        QVERIFY(store.beginAppend());
        QVERIFY(store.appendBatch(book("Quattro")));
    }
    QCOMPARE(folder.read("Libri.pro"), original);
    QVERIFY(!QFile::exists(AppendJournal::pathFor(path)));
}

// clang-format off
void StorageTest::importRunsBothPasses_data()
{
    // 2,500 cards: three batches. The cancel flag is raised by the progress
    // callback at its second report of the given pass (2,000 rows read, so
    // in the write pass the first batch is in the archive); -1 never.
    QTest::addColumn<int>("cancelIn"); // a CardImport::Pass, or -1
    QTest::addColumn<bool>("checkOnly");
    QTest::addColumn<int>("status");   // a CardImport::Outcome::Status
    QTest::addColumn<qint64>("cardsAfter");
    using Status = CardImport::Outcome::Status;
    QTest::newRow("whole import") << -1 << false << int(Status::Imported) << qint64(1 + 2500);
    QTest::newRow("check only") << -1 << true << int(Status::Imported) << qint64(1);
    QTest::newRow("cancelled while checking") << int(CardImport::Pass::Check) << false << int(Status::Cancelled) << qint64(1);
    QTest::newRow("cancelled after the first batch") << int(CardImport::Pass::Write) << false << int(Status::Cancelled) << qint64(1);
}
// clang-format on

void StorageTest::importRunsBothPasses()
{
    QFETCH(int, cancelIn);
    QFETCH(bool, checkOnly);
    QFETCH(int, status);
    QFETCH(qint64, cardsAfter);
    TestFolder folder;
    const QString archive = folder.file("Libri.pro");
    const QByteArray original = book("Uno");
    folder.write("Libri.pro", original);
    QByteArray csv = "Titolo;Codice;Autore\r\n";
    for (int i = 0; i < 2500; ++i)
        csv += "Titolo " + QByteArray::number(i) + ";K" + QByteArray::number(i) + ";Autore\r\n";
    folder.write("schede.csv", csv);
    QFile file(folder.file("schede.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));

    CardImport cards(Books::collection());
    CardImport::Options options;
    options.archive = archive;
    options.checkOnly = checkOnly;
    std::atomic<bool> cancel{false};
    QList<QPair<int, qint64>> seen; // pass, bytes done
    qint64 sizeWhenCancelled = -1;
    int reportsInPass = 0;
    const CardImport::Outcome outcome = cards.run(
        file, options,
        [&](CardImport::Pass pass, qint64 done, qint64 total) {
            QCOMPARE(total, qint64(csv.size()));
            seen.append({int(pass), done});
            if (int(pass) == cancelIn && ++reportsInPass == 2) {
                cancel = true;
                sizeWhenCancelled = QFileInfo(archive).size();
            }
        },
        &cancel);

    QCOMPARE(int(outcome.status), status);
    QCOMPARE(QFileInfo(archive).size(), cardsAfter * 3237);
    QVERIFY(folder.read("Libri.pro").startsWith(original));
    QVERIFY(!QFile::exists(AppendJournal::pathFor(archive)));
    QVERIFY(!seen.isEmpty());
    // Each pass reports bytes that only grow, up to the whole file.
    for (qsizetype i = 1; i < seen.size(); ++i) {
        if (seen[i].first == seen[i - 1].first)
            QVERIFY(seen[i].second >= seen[i - 1].second);
        QVERIFY(seen[i].first >= seen[i - 1].first);
    }
    if (cancelIn == int(CardImport::Pass::Write)) {
        // The first batch had reached the archive: the journal cut it back.
        QCOMPARE(sizeWhenCancelled, qint64(1 + 1000) * 3237);
    }
    if (status == int(CardImport::Outcome::Status::Imported)) {
        QCOMPARE(seen.last().second, qint64(csv.size()));
        QCOMPARE(cards.count(), 2500);
        QCOMPARE(outcome.archiveCards, checkOnly ? qint64(0) : cardsAfter);
    }
}

void StorageTest::folderWithoutLocksSaysSo()
{
    // A network folder mounted without locks answers ENOLCK at once:
    // the write fails without waiting and says why, not "in use".
    TestFolder folder;
    folder.write("Libri.pro", book("Uno"));
    RecordStore store;
    QVERIFY(store.open(folder.file("Libri.pro"), 3237));
    FileLock::failForTests(ENOLCK);
    const bool appended = store.append(book("Due"));
    QVERIFY(store.seek(0));
    const bool written = store.write(book("Nuovo"));
    FileLock::failForTests(0);
    QVERIFY(!appended && !written);
    QCOMPARE(store.errorString(), RecordStore::kNoLocking);
    QVERIFY(store.errorString().contains(QLatin1String("cartella di rete")));
    QCOMPARE(folder.read("Libri.pro"), book("Uno"));
}

void StorageTest::failedUndoSaysTheArchiveMayHaveChanged()
{
    // The undo of an append is the journal's cut; when its last step fails
    // (here the journal cannot be removed: a folder stands in its place)
    // the failure must not read as "nothing added".
    TestFolder folder;
    const QString path = folder.file("Libri.pro");
    folder.write("Libri.pro", book("Uno"));
    RecordStore store;
    QVERIFY(store.open(path, 3237));
    QVERIFY(store.beginAppend());
    QVERIFY(store.appendBatch(book("Due")));
    const QString journal = AppendJournal::pathFor(path);
    QVERIFY(QFile::remove(journal));
    QVERIFY(QDir().mkpath(journal + QStringLiteral("/dentro")));
    QVERIFY(!store.cancelAppend());
    QVERIFY(store.undoFailed());
    QVERIFY2(store.errorString().endsWith(RecordStore::kMayHaveChanged), qPrintable(store.errorString()));
    QVERIFY(store.errorString().contains(QLatin1String("tomaria-cli check")));
    // A later writer cannot clear it either, and says so instead of writing.
    QVERIFY(!store.append(book("Tre")));
    QVERIFY(store.errorString().contains(QLatin1String("tomaria-cli check")));
    QCOMPARE(folder.read("Libri.pro"), book("Uno"));
}

namespace {

// What stands at a path, links not followed, with a link's target and a
// regular file's bytes.
QString standingOf(const QString& path)
{
    QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("link to ") + info.symLinkTarget();
    if (!info.exists())
        return QStringLiteral("absent");
    if (info.isDir())
        return QStringLiteral("folder ") + QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).join(u',');
    if (!info.isFile())
        return QStringLiteral("special");
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QStringLiteral("file ") + QString::fromLatin1(f.readAll().toHex()) : QStringLiteral("unreadable");
}

// Each side file of the program, by its name (an archive's suffix after
// "Libri.pro"), and what makes the program write it; true when the
// program wrote nothing, as it must with something foreign at the name.
using SideAction = std::function<bool(const TestFolder&)>;
const QHash<QString, SideAction>& sideActions()
{
    static const QHash<QString, SideAction> actions{
        {AppendJournal::kSuffix,
            [](const TestFolder& folder) {
                // The journal is refused, so the append is: no card unguarded.
                RecordStore store;
                if (!store.open(folder.file("Libri.pro"), TSchedaLibro.size))
                    return false;
                return !store.beginAppend();
            }},
        {AppendJournal::kSetAsideSuffix,
            [](const TestFolder& folder) {
                // A journal of another file is set aside; not over this.
                folder.write("Libri.pro-journal", "tomaria-journal 2 1 1 -1 0 \n");
                RecordStore store;
                const bool opened = store.open(folder.file("Libri.pro"), TSchedaLibro.size);
                return opened && !QFileInfo::exists(folder.file("Libri.pro-journal"));
            }},
        {SearchIndex::kSuffix,
            [](const TestFolder& folder) {
                // The search still lists every card, from the archive.
                SearchIndex::setSettle(std::chrono::nanoseconds(0));
                Search search(*Books::collection().search);
                QStringList lines;
                QThread::msleep(20);
                return search.run(folder.file("Libri.pro"), lines) && lines.size() == 1;
            }},
        {RestoreJournal::kFileName,
            [](const TestFolder& folder) {
                RestoreJournal journal;
                QString reason;
                return !journal.begin(folder.path(), QStringLiteral(".ripristino"), {}, &reason) && !reason.isEmpty()
                    && !RestoreJournal::pending(folder.path());
            }},
        {Stocktake::fileName(),
            [](const TestFolder&) {
                Stocktake count;
                return !Stocktake::pending() && count.begin(Books::collection(), QString()) && !count.save() && !count.record("L-1");
            }},
        {CatalogueMark::kFileName, [](const TestFolder& folder) { return CatalogueMark::identity(folder.path(), true).isEmpty(); }},
        {SettingsFile::name(), [](const TestFolder&) { return !LoanSettings::setDays(12); }},
        {PasswordFile::kFileName,
            [](const TestFolder&) { return !PasswordFile::readStored().has_value() && !PasswordFile::writeStored(QStringLiteral("X")); }},
    };
    return actions;
}

QStringList sideFileNames()
{
    QStringList names{PasswordFile::kFileName, SettingsFile::name()};
    for (const SideFile::Row& row : SideFile::rows())
        names << row.name;
    return names;
}

} // namespace

// A link, FIFO, device or folder standing where a side file goes is left
// as it was, whatever the program does with that file, and said once; the
// table has a row for every side file the program keeps, or fails.
void StorageTest::sideFilesLeaveForeignThingsAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("foreign");
    for (const QString& name : sideFileNames()) {
        if (!sideActions().contains(name))
            QFAIL(qPrintable(QStringLiteral("no row for the side file %1").arg(name)));
        for (const char* foreign : {"link to a file", "link to nothing", "link to a device", "FIFO", "folder"})
            QTest::addRow("%s, %s", qPrintable(name), foreign) << name << QString::fromLatin1(foreign);
    }
}

void StorageTest::sideFilesLeaveForeignThingsAlone()
{
    QFETCH(QString, name);
    QFETCH(QString, foreign);
    TestFolder folder;
    QTemporaryDir elsewhere;
    ProgramFolder::setPath(folder.path());
    const auto back = qScopeGuard([] { ProgramFolder::setPath({}); });
    folder.write("Libri.pro", card(TSchedaLibro, {{"Titolo", "Il barone rampante"}, {"Codice", "L-1"}, {"Annullata", "No"}}));
    const QString at = folder.file(name.startsWith(u'-') ? QStringLiteral("Libri.pro") + name : name);
    const QString victim = elsewhere.filePath("vittima");
    {
        QFile f(victim);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("da non toccare") > 0);
    }
    std::optional<FifoWatch> fifo;
    if (foreign == QLatin1String("link to a file"))
        QVERIFY(QFile::link(victim, at));
    else if (foreign == QLatin1String("link to nothing"))
        QVERIFY(QFile::link(elsewhere.filePath("nuovo"), at));
    else if (foreign == QLatin1String("link to a device"))
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), at));
    else if (foreign == QLatin1String("FIFO"))
        QVERIFY(fifo.emplace(at).created());
    else
        QVERIFY(QDir().mkpath(at));
    const QString before = standingOf(at);
    const QByteArray archive = folder.read("Libri.pro");
    SideFile::takeNotices();

    for (int round = 0; round < 2; ++round)
        QVERIFY2(sideActions()[name](folder), qPrintable(QStringLiteral("round %1").arg(round + 1)));
    if (fifo)
        QVERIFY(!fifo->hung());
    QCOMPARE(standingOf(at), before);
    QCOMPARE(standingOf(victim), QStringLiteral("file ") + QString::fromLatin1(QByteArray("da non toccare").toHex()));
    QVERIFY(!QFileInfo::exists(elsewhere.filePath("nuovo")));
    QCOMPARE(folder.read("Libri.pro"), archive);
    // Said once, in Italian, naming the file.
    const QStringList notices = SideFile::takeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(QFileInfo(at).fileName()) && notices[0].contains(QStringLiteral("non è un file regolare")),
        qPrintable(notices[0]));
    // Nothing left beside it.
    for (const QString& left : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(!left.contains(QLatin1String(".nuovo-")), qPrintable(left));
}

// A side file is replaced by a new file renamed over it: a reader holding
// the old one keeps the old bytes, and a write that fails (a file-size
// limit) leaves the old file whole and nothing beside it.
void StorageTest::sideFilesAreReplacedWhole()
{
    TestFolder folder;
    const QString path = folder.file("Tomaria.ini");
    folder.write("Tomaria.ini", "vecchio\r\n");
    QFile held(path);
    QVERIFY(held.open(QIODevice::ReadOnly));
    QString reason;
    QVERIFY2(SideFile::replace(
                 path, [](QFileDevice& f, QString*) { return f.write("nuovo\r\n") == 7; }, &reason),
        qPrintable(reason));
    QCOMPARE(held.readAll(), QByteArray("vecchio\r\n"));
    QCOMPARE(folder.read("Tomaria.ini"), QByteArray("nuovo\r\n"));
    {
        FileSizeLimit full(4);
        QVERIFY(!SideFile::replace(
            path, [](QFileDevice& f, QString*) { return DiskFile::writeAll(f, "troppo lungo\r\n", 14); }, &reason));
    }
    QCOMPARE(reason, QStringLiteral("superato il limite di dimensione dei file"));
    QCOMPARE(folder.read("Tomaria.ini"), QByteArray("nuovo\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tomaria.ini"});
    QByteArray bytes;
    QCOMPARE(SideFile::read(path, &bytes, 4), SideFile::Got::Unreadable);
    QCOMPARE(SideFile::read(path, &bytes), SideFile::Got::Read);
    QCOMPARE(bytes, QByteArray("nuovo\r\n"));
    QCOMPARE(SideFile::read(folder.file("nessuno.ini"), &bytes), SideFile::Got::Absent);
}

// Between the check of every row and the append under the lock, another
// program may save a card: its code is looked for again under the lock,
// so a repeat is refused with nothing written; and the positions the
// import reports are those it wrote, read under the lock, whatever was
// added before it took it.
// clang-format off
void StorageTest::importChecksCodesAgainUnderTheLock_data()
{
    QTest::addColumn<QString>("added"); // the code of the card saved meanwhile
    QTest::addColumn<bool>("refused");
    QTest::newRow("a code of the file") << "K7" << true;
    QTest::newRow("the same code with blanks") << " K7 " << true;
    QTest::newRow("another code") << "Z1" << false;
}
// clang-format on

void StorageTest::importChecksCodesAgainUnderTheLock()
{
    QFETCH(QString, added);
    QFETCH(bool, refused);
    TestFolder folder;
    const QString archive = folder.file("Libri.pro");
    folder.write("Libri.pro", card(TSchedaLibro, {{"Titolo", "Uno"}, {"Codice", "A1"}, {"Annullata", "No"}}));
    QByteArray csv = "Titolo;Codice;Autore\r\n";
    for (int i = 0; i < 20; ++i)
        csv += "Titolo " + QByteArray::number(i) + ";K" + QByteArray::number(i) + ";Autore\r\n";
    folder.write("schede.csv", csv);
    QFile file(folder.file("schede.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray meanwhile = card(TSchedaLibro, {{"Titolo", "Salvata intanto"}, {"Annullata", "No"}});
    QByteArray withCode = meanwhile;
    TextSlot::writeAsIs(withCode.data(), *TSchedaLibro.find("Codice"), TSchedaLibro.kind, added);

    CardImport cards(Books::collection());
    CardImport::Options options;
    options.archive = archive;
    bool saved = false;
    const CardImport::Outcome outcome = cards.run(file, options, [&](CardImport::Pass pass, qint64 done, qint64 total) {
        if (pass == CardImport::Pass::Check && done == total && !saved) {
            RecordStore other;
            QVERIFY(other.open(archive, TSchedaLibro.size));
            QVERIFY(other.append(withCode));
            saved = true;
        }
    });
    QVERIFY(saved);
    if (refused) {
        QCOMPARE(outcome.status, CardImport::Outcome::Status::Refused);
        QCOMPARE(QFileInfo(archive).size(), qint64(2 * TSchedaLibro.size));
        QVERIFY2(!cards.duplicates().isEmpty() && cards.duplicates()[0].text.contains(QStringLiteral("K7"))
                && cards.duplicates()[0].text.contains(QStringLiteral("scheda 2")),
            qPrintable(cards.report().join(u'\n')));
    } else {
        QCOMPARE(outcome.status, CardImport::Outcome::Status::Imported);
        QCOMPARE(outcome.firstWritten, qint64(3));
        QCOMPARE(outcome.archiveCards, qint64(22));
        QCOMPARE(QFileInfo(archive).size(), qint64(22 * TSchedaLibro.size));
    }
    QVERIFY(!QFile::exists(AppendJournal::pathFor(archive)));
}

QTEST_GUILESS_MAIN(StorageTest)
#include "test_storage.moc"
