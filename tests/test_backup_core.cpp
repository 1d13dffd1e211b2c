// Safety copies without a screen: what a copy holds, that it is whole while
// another program writes, that a failed copy leaves nothing that looks
// finished, rotation, restore and the zips it must refuse. The "Strumenti"
// list, the copies screen and the copy at close are in test_backup.
#include "BackupFixtures.h"
#include "core/access/IniFile.h"
#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/backup/Catalogue.h"
#include "core/backup/CatalogueMark.h"
#include "core/backup/Restore.h"
#include "core/backup/SafetyCopy.h"
#include "core/backup/StagingFolder.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/RecordStore.h"
#include "core/storage/RestoreJournal.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include <QHash>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <functional>

using namespace BackupFixtures;

namespace {

constexpr int kBook = 3237;

QStringList zipsIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::AllDirs | QDir::NoDotAndDotDot, QDir::Name);
}

// A zip written with libzip from (name, bytes) pairs; `store` keeps the
// bytes uncompressed so that a test can find and change them in the file.
struct ZipEntry {
    QByteArray name;
    QByteArray data;
    unsigned mode = 0100644;
};

QString writeZip(const QString& path, const QList<ZipEntry>& entries, bool store = false)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return {};
    for (const ZipEntry& e : entries) {
        zip_source_t* s = zip_source_buffer(z, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        const zip_int64_t i = zip_file_add(z, e.name.constData(), s, ZIP_FL_ENC_UTF_8);
        if (i < 0) {
            zip_source_free(s);
            zip_discard(z);
            return {};
        }
        zip_file_set_external_attributes(z, zip_uint64_t(i), 0, ZIP_OPSYS_UNIX, zip_uint32_t(e.mode) << 16);
        if (store)
            zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0);
    }
    return zip_close(z) == 0 ? path : QString();
}

void patch(const QString& path, const QByteArray& from, const QByteArray& to)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    QVERIFY(bytes.contains(from));
    bytes.replace(from, to);
    f.seek(0);
    f.write(bytes);
}

void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

namespace {

// The journal of an import that died after its first cards: the archive
// holds `kept` whole cards as the journal guards them, then `half` more.
void leaveHalfImport(const TestFolder& folder, int kept, int half)
{
    const QString path = folder.file(QStringLiteral("Libri.pro"));
    folder.write(QStringLiteral("Libri.pro"), cards(Books::collection(), kept, QStringLiteral("vecchia")));
    AppendJournal::Before before;
    before.length = qint64(kept) * kBook;
    QVERIFY(AppendJournal::begin(path, before, nullptr));
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    QVERIFY(f.write(cards(Books::collection(), half, QStringLiteral("mezza"))) == qint64(half) * kBook);
}

qint64 cardsIn(const QString& path)
{
    RecordStore store;
    return store.open(path, kBook, RecordStore::Mode::ReadExisting) ? store.count() : -1;
}

} // namespace

class BackupCoreTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        Clock::setFixed({});
        SafetyCopy::setFreeSpaceForTests(-1);
    }

    void roundTripBringsBackEveryByte();
    void copyTakenWhileAnotherProcessAppends();
    void interruptedCopyLeavesNothingBehind_data();
    void interruptedCopyLeavesNothingBehind();
    void interruptedRestoreChangesNothing();
    void rotationKeepsTheNewestAndWaitsForTheCheck();
    void dueAfterADayAndAChange_data();
    void dueAfterADayAndAChange();
    void hostileZipIsRefused_data();
    void hostileZipIsRefused();
    void restoreOverAPendingJournal_data();
    void restoreOverAPendingJournal();
    void copyRespectsAPendingJournal();
    void writerWaitingThroughARestore();
    void twoCataloguesShareACopiesFolder();
    void futureDatedCopiesKeepTheNewOne();
    void restoreFailingPartWayChangesNothing_data();
    void restoreFailingPartWayChangesNothing();
    void killedRestoreIsCompletedByTheNextOpener_data();
    void killedRestoreIsCompletedByTheNextOpener();
    void leftoversOfCutShortWorkGo();
    void workFolderLosesItsMarkLast();
    void copiesFolderInsideTheAttachmentsIsRefused();
    void copyNeedsAnArchive();
    void restoreKeepsThisComputersCopySettings();
};

void BackupCoreTest::roundTripBringsBackEveryByte()
{
    TestFolder folder;
    fill(folder);
    const auto original = catalogueOf(folder.path());
    const auto made = SafetyCopy::make(folder.file(kCopies));
    QVERIFY2(made.ok, qPrintable(made.error));
    QVERIFY(QFileInfo(made.path).fileName().contains(QRegularExpression(QStringLiteral("^Tomaria-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.zip$"))));

    // Exactly the catalogue, as any unzip tool sees it.
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), made.path});
    QVERIFY2(unzip.waitForFinished(60000), "unzip is part of the build's packages");
    QCOMPARE(unzip.exitCode(), 0);
    const auto inZip = unzipAll(made.path);
    QCOMPARE(QStringList(inZip.keys()), QStringList(original.keys()));
    QVERIFY(!inZip.contains(QStringLiteral("Libri.xls")) && !inZip.contains(QStringLiteral("tomaria")));

    // Into an empty program folder.
    {
        TestFolder empty;
        const auto done = Restore::restore(made.path, empty.file(kCopies));
        QVERIFY2(done.ok, qPrintable(done.error));
        QVERIFY(done.aside.isEmpty());
        QCOMPARE(catalogueOf(empty.path()), original);
    }

    // Over a catalogue that changed since: back byte for byte, and the
    // catalogue of before is a copy of its own that undoes the restore.
    ProgramFolder::setPath(folder.path());
    folder.write(
        QStringLiteral("Libri.pro"), folder.read(QStringLiteral("Libri.pro")) + cards(Books::collection(), 1, QStringLiteral("nuovo")));
    folder.write(QStringLiteral("2026.art"), cards(Articles::collection(), 1, QStringLiteral("nuovo")));
    folder.write(QStringLiteral("Documenti_Allegati/nuovo.txt"), QByteArray("n"));
    QFile::remove(folder.file(QStringLiteral("Documenti_Allegati/città è ñ.txt")));
    const auto changed = catalogueOf(folder.path());
    const auto others = tree(folder.path(), kCopies);
    Clock::setFixed(QDateTime::currentDateTime().addSecs(5));
    const auto done = Restore::restore(made.path, folder.file(kCopies));
    QVERIFY2(done.ok, qPrintable(done.error));
    QCOMPARE(catalogueOf(folder.path()), original);
    QCOMPARE(tree(folder.path(), kCopies).value(QStringLiteral("Libri.xls")), others.value(QStringLiteral("Libri.xls")));
    QVERIFY(!done.aside.isEmpty() && done.aside != made.path);
    QVERIFY(Restore::restore(done.aside, folder.file(kCopies)).ok);
    QCOMPARE(catalogueOf(folder.path()), changed);
}

void BackupCoreTest::copyTakenWhileAnotherProcessAppends()
{
    TestFolder folder;
    // Seven cards per append: a copy that saw part of one would hold a
    // count of cards that is not a multiple of seven. The program's own
    // appends take turns with a writer that holds the same lock while it
    // appends in two halves, the way a slow disk lets a reader see them.
    constexpr int kPerAppend = 7;
    folder.write(QStringLiteral("Libri.pro"), cards(Books::collection(), kPerAppend, QStringLiteral("primo")));
    QTemporaryDir halves;
    const QByteArray seven = cards(Books::collection(), kPerAppend, QStringLiteral("lento"));
    const QString first = halves.filePath(QStringLiteral("prima")), second = halves.filePath(QStringLiteral("seconda"));
    {
        QFile a(first), b(second);
        QVERIFY(a.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly));
        a.write(seven.left(seven.size() / 2));
        b.write(seven.mid(seven.size() / 2));
    }
    QProcess writer;
    writer.setProgram(QStringLiteral("/bin/sh"));
    writer.setArguments({QStringLiteral("-c"),
        QStringLiteral("while \"$0\" --folder \"$1\" sample books %1 >/dev/null && "
                       "flock \"$1/Libri.pro\" sh -c 'cat \"$0\" >> \"$1\"; sleep 0.02; cat \"$2\" >> \"$1\"' "
                       "\"$2\" \"$1/Libri.pro\" \"$3\"; do :; done")
            .arg(kPerAppend),
        QStringLiteral(TOMARIA_CLI), folder.path(), first, second});
    writer.start();
    QVERIFY(writer.waitForStarted(30000));
    QStringList zips;
    for (int i = 0; i < 12; ++i) {
        // Wait until the archive has grown, so each copy lands mid-stream.
        const qint64 before = QFileInfo(folder.file(QStringLiteral("Libri.pro"))).size();
        for (int w = 0; w < 600 && QFileInfo(folder.file(QStringLiteral("Libri.pro"))).size() == before; ++w)
            QTest::qWait(10);
        const auto made = SafetyCopy::make(folder.file(kCopies));
        QVERIFY2(made.ok, qPrintable(made.error));
        zips << made.path;
    }
    writer.kill();
    QVERIFY(writer.waitForFinished(30000));
    const QByteArray final = folder.read(QStringLiteral("Libri.pro"));
    qint64 previous = 0;
    for (const QString& zip : zips) {
        const QByteArray copied = unzipAll(zip).value(QStringLiteral("Libri.pro"));
        QVERIFY(!copied.isEmpty());
        QCOMPARE(copied.size() % (kBook * kPerAppend), 0);
        // The archive as it was at one moment: what came later only added.
        QVERIFY(final.startsWith(copied));
        QVERIFY(copied.size() >= previous);
        previous = copied.size();
    }
    QVERIFY2(previous > kBook * kPerAppend, "the other process appended during the copies");
}

// clang-format off
void BackupCoreTest::interruptedCopyLeavesNothingBehind_data()
{
    QTest::addColumn<int>("limit");
    // Each attachment is 200 KB of noise that does not compress.
    QTest::newRow("while copying an archive") << 100 * 1024;
    QTest::newRow("while writing the zip") << 300 * 1024;
}
// clang-format on

void BackupCoreTest::interruptedCopyLeavesNothingBehind()
{
    QFETCH(int, limit);
    TestFolder folder;
    fill(folder);
    folder.write(QStringLiteral("Documenti_Allegati/a.bin"), noise(200 * 1024, 2));
    folder.write(QStringLiteral("Documenti_Allegati/b.bin"), noise(200 * 1024, 3));
    Clock::setFixed(QDateTime(QDate(2030, 1, 1), QTime(10, 0)));
    QVERIFY(SafetyCopy::make(folder.file(kCopies)).ok);
    Clock::setFixed(QDateTime(QDate(2030, 1, 2), QTime(10, 0)));
    QVERIFY(SafetyCopy::make(folder.file(kCopies)).ok);
    const auto copiesBefore = tree(folder.file(kCopies));
    const auto before = tree(folder.path(), kCopies);
    QCOMPARE(copiesBefore.size(), 2);

    Clock::setFixed(QDateTime(QDate(2030, 1, 3), QTime(10, 0)));
    SafetyCopy::Outcome made;
    {
        FileSizeLimit cap{rlim_t(limit)};
        made = SafetyCopy::make(folder.file(kCopies));
    }
    QVERIFY(!made.ok);
    QVERIFY2(made.error.contains(QStringLiteral("limite di dimensione")), qPrintable(made.error));
    // No finished-looking zip, no temporary left, the old copies whole.
    QCOMPARE(tree(folder.file(kCopies)), copiesBefore);
    QCOMPARE(tree(folder.path(), kCopies), before);
}

void BackupCoreTest::interruptedRestoreChangesNothing()
{
    TestFolder folder;
    fill(folder);
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    QVERIFY(!writeZip(
        zip, {{"Libri.pro", cards(Books::collection(), 100, QStringLiteral("r"))}, {"Documenti_Allegati/grande.bin", noise(200 * 1024, 5)}})
                 .isEmpty());
    const auto before = tree(folder.path());
    Restore::Outcome done;
    {
        FileSizeLimit cap{100 * 1024};
        done = Restore::restore(zip, folder.file(kCopies));
    }
    QVERIFY(!done.ok);
    QVERIFY2(done.error.contains(QStringLiteral("limite di dimensione")), qPrintable(done.error));
    QCOMPARE(tree(folder.path()), before);
    // The same zip, with room: restored.
    QVERIFY(Restore::restore(zip, folder.file(kCopies)).ok);
    QCOMPARE(folder.read(QStringLiteral("Libri.pro")).size(), 100 * kBook);
}

void BackupCoreTest::rotationKeepsTheNewestAndWaitsForTheCheck()
{
    TestFolder folder;
    fill(folder);
    const QString copies = folder.file(kCopies);
    QDir().mkpath(copies);
    // Not copies: never removed.
    QFile::copy(folder.file(QStringLiteral("Libri.xls")), copies + QStringLiteral("/Tomaria-appunti.zip"));
    QFile::copy(folder.file(QStringLiteral("Libri.xls")), copies + QStringLiteral("/Tomaria-2000-01-01-000000.zip.bak"));
    // A day apart, in the past, so every catalogue file counts as changed.
    const QDateTime start(QDate(2020, 3, 1), QTime(9, 30));
    QStringList names;
    for (int day = 0; day < 12; ++day) {
        Clock::setFixed(start.addDays(day));
        bool ran = false;
        const auto made = SafetyCopy::automatic(&ran);
        QVERIFY2(ran && made.ok, qPrintable(made.error));
        names << QFileInfo(made.path).fileName();
    }
    QStringList expected = names.mid(2);
    expected << QStringLiteral("Tomaria-2000-01-01-000000.zip.bak") << QStringLiteral("Tomaria-appunti.zip");
    expected.sort();
    QCOMPARE(zipsIn(copies), expected);

    // A copy that fails removes nothing.
    folder.write(QStringLiteral("Documenti_Allegati/a.bin"), noise(200 * 1024, 4));
    Clock::setFixed(start.addDays(20));
    {
        FileSizeLimit cap(100 * 1024);
        bool ran = false;
        QVERIFY(!SafetyCopy::automatic(&ran).ok);
        QVERIFY(ran);
    }
    QCOMPARE(zipsIn(copies), expected);

    // The number kept comes from the settings file.
    folder.write(QStringLiteral("Tomaria.ini"), QByteArray("[Copie]\r\nNumero=3\r\n"));
    Clock::setFixed(start.addDays(21));
    const auto made = SafetyCopy::automatic();
    QVERIFY(made.ok);
    QCOMPARE(SafetyCopy::list(copies).size(), 3);
    QCOMPARE(SafetyCopy::list(copies).first().path, made.path);
}

// clang-format off
void BackupCoreTest::dueAfterADayAndAChange_data()
{
    QTest::addColumn<int>("lastCopyHoursAgo"); // -1: no copy
    QTest::addColumn<int>("changedHoursAgo");  // -1: empty catalogue
    QTest::addColumn<bool>("due");
    QTest::newRow("first copy") << -1 << 100 << true;
    QTest::newRow("empty catalogue") << -1 << -1 << false;
    QTest::newRow("copy of this morning") << 3 << 1 << false;
    QTest::newRow("old copy, changed since") << 30 << 2 << true;
    QTest::newRow("old copy, nothing changed") << 30 << 40 << false;
    QTest::newRow("changed within the copy's second") << 48 << 48 << true;
}
// clang-format on

void BackupCoreTest::dueAfterADayAndAChange()
{
    QFETCH(int, lastCopyHoursAgo);
    QFETCH(int, changedHoursAgo);
    QFETCH(bool, due);
    TestFolder folder;
    const QDateTime now(QDate(2030, 6, 1), QTime(12, 0));
    Clock::setFixed(now);
    if (changedHoursAgo >= 0) {
        fill(folder);
        for (const QString& name : Catalogue::present(folder.path())) {
            if (!name.endsWith(QLatin1Char('/')))
                setModified(folder.file(name), now.addSecs(-3600 * changedHoursAgo));
        }
    }
    if (lastCopyHoursAgo >= 0) {
        QDir().mkpath(SafetyCopy::folder());
        folder.write(kCopies + QStringLiteral("/Tomaria-")
                + now.addSecs(-3600 * lastCopyHoursAgo).toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + QStringLiteral(".zip"),
            "x");
    }
    QCOMPARE(SafetyCopy::due(SafetyCopy::folder()), due);
}

// clang-format off
void BackupCoreTest::hostileZipIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("truncated") << "truncated" << "troncato";
    QTest::newRow("damaged data") << "damaged" << "Libri.pro";
    QTest::newRow("dot-dot") << "dotdot" << "\"..\"";
    QTest::newRow("absolute") << "absolute" << "nome assoluto";
    QTest::newRow("drive letter") << "drive" << "nome assoluto";
    QTest::newRow("symbolic link") << "symlink" << "collegamento simbolico";
    QTest::newRow("device") << "device" << "non è un file normale";
    QTest::newRow("duplicate") << "duplicate" << "nome ripetuto";
    QTest::newRow("same name but for case") << "case" << "nome ripetuto";
    QTest::newRow("zip bomb") << "bomb" << "spazio libero";
    QTest::newRow("partial card") << "partial" << "schede intere";
    QTest::newRow("not a catalogue file") << "foreign" << "non fa parte";
    QTest::newRow("no catalogue") << "empty" << "non contiene un catalogo";
    QTest::newRow("not a file") << "folder" << "non è un file regolare";
    QTest::newRow("settings file alone") << "settings" << "alcun archivio di schede (Libri.pro, DVD.pro, AAAA.art)";
    QTest::newRow("password file alone") << "password" << "alcun archivio";
    QTest::newRow("attachments alone") << "attachments" << "alcun archivio";
    QTest::newRow("encrypted") << "encrypted" << "cifrato con una password";
}
// clang-format on

void BackupCoreTest::hostileZipIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    TestFolder folder;
    fill(folder);
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    const QByteArray books = cards(Books::collection(), 2, QStringLiteral("z"));
    const ZipEntry good{"Libri.pro", books};
    if (kind == QLatin1String("truncated")) {
        const auto made = SafetyCopy::make(elsewhere.path());
        QVERIFY(made.ok);
        QFile f(made.path);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(f.size() / 2));
        QVERIFY(f.rename(zip));
    } else if (kind == QLatin1String("damaged")) {
        QVERIFY(!writeZip(zip, {good, {"DVD.pro", cards(Dvds::collection(), 1, QStringLiteral("d"))}}, true).isEmpty());
        patch(zip, QByteArray("z 1 "), QByteArray("Z 1 ")); // data changed, CRC not
    } else if (kind == QLatin1String("dotdot")) {
        QVERIFY(!writeZip(zip, {good, {"Documenti_Allegati/../../fuori.txt", "x"}}).isEmpty());
    } else if (kind == QLatin1String("absolute")) {
        QVERIFY(!writeZip(zip, {good, {"/Libri.pro", books}}).isEmpty());
    } else if (kind == QLatin1String("drive")) {
        QVERIFY(!writeZip(zip, {good, {"C:DVD.pro", "x"}}).isEmpty());
    } else if (kind == QLatin1String("symlink")) {
        QVERIFY(!writeZip(zip, {good, {"Documenti_Allegati/collegamento.pdf", "../../Libri.pro", 0120777}}).isEmpty());
    } else if (kind == QLatin1String("device")) {
        QVERIFY(!writeZip(zip, {good, {"DVD.pro", "", 0010644}}).isEmpty());
    } else if (kind == QLatin1String("duplicate")) {
        QVERIFY(!writeZip(zip, {good, {"Libri.prx", cards(Books::collection(), 1, QStringLiteral("y"))}}, true).isEmpty());
        patch(zip, QByteArray("Libri.prx"), QByteArray("Libri.pro"));
    } else if (kind == QLatin1String("case")) {
        QVERIFY(!writeZip(zip, {good, {"Documenti_Allegati/a.txt", "a"}, {"Documenti_Allegati/A.txt", "b"}}).isEmpty());
    } else if (kind == QLatin1String("bomb")) {
        // A megabyte of zeros squeezed into a few kilobytes, against a disk
        // with less room than that.
        QVERIFY(!writeZip(zip, {{"Libri.pro", QByteArray(kBook * 320, '\0')}}).isEmpty());
        QVERIFY(QFileInfo(zip).size() < 20000);
        SafetyCopy::setFreeSpaceForTests(512 * 1024);
    } else if (kind == QLatin1String("partial")) {
        QVERIFY(!writeZip(zip, {{"Libri.pro", books + "mezza"}}).isEmpty());
    } else if (kind == QLatin1String("foreign")) {
        QVERIFY(!writeZip(zip,
            {good,
                {"tomaria",
                    "\x7f"
                    "ELF"}})
                     .isEmpty());
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(!writeZip(zip, {{"Documenti_Allegati/", "", 0040755}}).isEmpty());
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(zip));
    } else if (kind == QLatin1String("settings")) {
        QVERIFY(!writeZip(zip, {{"Tomaria.ini", "[Prestiti]\r\nGiorni=3\r\n"}}).isEmpty());
    } else if (kind == QLatin1String("password")) {
        QVERIFY(!writeZip(zip, {{"unins000.dll", "[Accesso]\r\n"}}).isEmpty());
    } else if (kind == QLatin1String("attachments")) {
        QVERIFY(!writeZip(zip, {{"Documenti_Allegati/", "", 0040755}, {"Documenti_Allegati/a.txt", "a"}}).isEmpty());
    } else if (kind == QLatin1String("encrypted")) {
        int error = 0;
        zip_t* z = zip_open(QFile::encodeName(zip).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        QVERIFY(z);
        zip_source_t* source = zip_source_buffer(z, books.constData(), zip_uint64_t(books.size()), 0);
        const zip_int64_t i = zip_file_add(z, "Libri.pro", source, ZIP_FL_ENC_UTF_8);
        QVERIFY(i >= 0);
        QCOMPARE(zip_file_set_encryption(z, zip_uint64_t(i), ZIP_EM_AES_256, "segreta"), 0);
        QCOMPARE(zip_close(z), 0);
    }
    const auto before = tree(folder.path());
    const QString checked = Restore::check(zip);
    QVERIFY2(checked.contains(message), qPrintable(checked));
    const auto done = Restore::restore(zip, folder.file(kCopies));
    QVERIFY(!done.ok);
    QVERIFY2(done.error.contains(message), qPrintable(done.error));
    QVERIFY(done.aside.isEmpty());
    QCOMPARE(tree(folder.path()), before);
    QVERIFY(!QFileInfo::exists(elsewhere.filePath(QStringLiteral("fuori.txt"))));
}

// clang-format off
void BackupCoreTest::restoreOverAPendingJournal_data()
{
    QTest::addColumn<int>("inCopy");
    QTest::addColumn<int>("guarded");
    QTest::newRow("copy longer than the journal") << 100 << 5;
    QTest::newRow("copy shorter than the journal") << 2 << 5;
}
// clang-format on

void BackupCoreTest::restoreOverAPendingJournal()
{
    // The journal of the archive a restore replaces belongs to that file:
    // it must neither cut the restored archive back nor grow it.
    QFETCH(int, inCopy);
    QFETCH(int, guarded);
    TestFolder folder;
    fill(folder);
    leaveHalfImport(folder, guarded, 40);
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    const QByteArray copy = cards(Books::collection(), inCopy, QStringLiteral("copia"));
    QVERIFY(!writeZip(zip, {{"Libri.pro", copy}}).isEmpty());
    const auto done = Restore::restore(zip, folder.file(kCopies));
    QVERIFY2(done.ok, qPrintable(done.error));
    QVERIFY(!QFileInfo::exists(AppendJournal::pathFor(folder.file(QStringLiteral("Libri.pro")))));
    QCOMPARE(cardsIn(folder.file(QStringLiteral("Libri.pro"))), qint64(inCopy));
    QCOMPARE(folder.read(QStringLiteral("Libri.pro")), copy);
    // The copy of the catalogue as it was holds what every opener saw.
    QCOMPARE(unzipAll(done.aside).value(QStringLiteral("Libri.pro")).size(), qint64(guarded) * kBook);
}

void BackupCoreTest::copyRespectsAPendingJournal()
{
    TestFolder folder;
    fill(folder);
    leaveHalfImport(folder, 5, 1000);
    const auto made = SafetyCopy::make(folder.file(kCopies));
    QVERIFY2(made.ok, qPrintable(made.error));
    QCOMPARE(unzipAll(made.path).value(QStringLiteral("Libri.pro")), cards(Books::collection(), 5, QStringLiteral("vecchia")));
    // Cut back as any opener would, so the restore of it is the same.
    QCOMPARE(cardsIn(folder.file(QStringLiteral("Libri.pro"))), 5);
    QVERIFY(!QFileInfo::exists(AppendJournal::pathFor(folder.file(QStringLiteral("Libri.pro")))));
}

void BackupCoreTest::writerWaitingThroughARestore()
{
    // An import opened the archive before the restore and gets its lock
    // after the rename: its cards belong in the restored archive.
    TestFolder folder;
    fill(folder);
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    const QByteArray copy = cards(Books::collection(), 4, QStringLiteral("copia"));
    QVERIFY(!writeZip(zip, {{"Libri.pro", copy}}).isEmpty());
    RecordStore import;
    QVERIFY(import.open(folder.file(QStringLiteral("Libri.pro")), kBook));
    QVERIFY(Restore::restore(zip, folder.file(kCopies)).ok);
    const QByteArray added = cards(Books::collection(), 1000, QStringLiteral("importata"));
    QVERIFY(import.beginAppend());
    QVERIFY(import.appendBatch(added));
    QVERIFY(import.commitAppend());
    import.close();
    QCOMPARE(folder.read(QStringLiteral("Libri.pro")), copy + added);
}

void BackupCoreTest::twoCataloguesShareACopiesFolder()
{
    TestFolder a, b;
    fill(a);
    fill(b);
    b.write(QStringLiteral("Libri.pro"), cards(Books::collection(), 7, QStringLiteral("bi")));
    QTemporaryDir shared;
    QStringList madeA, madeB;
    for (int day = 1; day <= 3; ++day) {
        Clock::setFixed(QDateTime(QDate(2030, 1, day), QTime(10, 0)));
        ProgramFolder::setPath(a.path());
        madeA << SafetyCopy::make(shared.path()).path;
        Clock::setFixed(QDateTime(QDate(2030, 1, day), QTime(11, 0)));
        ProgramFolder::setPath(b.path());
        madeB << SafetyCopy::make(shared.path()).path;
    }
    QVERIFY(!madeA.contains(QString()) && !madeB.contains(QString()));
    // B sees and rotates only its own copies.
    const auto listed = SafetyCopy::list(shared.path());
    QCOMPARE(listed.size(), 3);
    for (const auto& c : listed)
        QVERIFY(madeB.contains(c.path));
    QCOMPARE(SafetyCopy::rotate(shared.path(), 2, madeB.last()), QStringList{madeB.first()});
    ProgramFolder::setPath(a.path());
    QCOMPARE(SafetyCopy::rotate(shared.path(), 1, madeA.last()), QStringList({madeA[1], madeA[0]}));
    for (const QString& path : madeB.mid(1))
        QVERIFY(QFileInfo::exists(path));

    // B restoring A's copy is asked first, naming A.
    ProgramFolder::setPath(b.path());
    const Restore::Preview preview = Restore::preview(madeA.last());
    QVERIFY(preview.ofAnotherCatalogue);
    QCOMPARE(preview.otherCatalogue, QDir::toNativeSeparators(QDir::cleanPath(a.path())));
    QVERIFY(!Restore::preview(madeB.last()).ofAnotherCatalogue);
    const auto before = tree(b.path(), kCopies);
    for (const QByteArray& answer : {QByteArray(""), QByteArray("n\n"), QByteArray("s\n")}) {
        QProcess cli;
        cli.start(QStringLiteral(TOMARIA_CLI), {QStringLiteral("--folder"), b.path(), QStringLiteral("restore"), madeA.last()});
        QVERIFY(cli.waitForStarted(30000));
        cli.write(answer);
        cli.closeWriteChannel();
        QVERIFY(cli.waitForFinished(60000));
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(err.contains(QDir::toNativeSeparators(QDir::cleanPath(a.path()))), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("Libri.pro: 7 schede ora, 2 schede nella copia")), qPrintable(err));
        if (answer != "s\n") {
            QCOMPARE(cli.exitCode(), 1);
            QCOMPARE(tree(b.path(), kCopies), before);
        } else {
            QCOMPARE(cli.exitCode(), 0);
            QCOMPARE(b.read(QStringLiteral("Libri.pro")), a.read(QStringLiteral("Libri.pro")));
        }
    }
}

void BackupCoreTest::futureDatedCopiesKeepTheNewOne()
{
    TestFolder folder;
    fill(folder);
    const QString copies = folder.file(kCopies);
    // Copies from a machine whose clock ran years ahead.
    for (int day = 1; day <= 3; ++day) {
        Clock::setFixed(QDateTime(QDate(2040, 1, day), QTime(10, 0)));
        QVERIFY(SafetyCopy::make(copies).ok);
    }
    Clock::setFixed(QDateTime(QDate(2030, 1, 1), QTime(10, 0)));
    bool ran = false;
    folder.write(QStringLiteral("DVD.pro"), cards(Dvds::collection(), 4, QStringLiteral("d")));
    setModified(folder.file(QStringLiteral("DVD.pro")), QDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    QVERIFY(SafetyCopy::due(copies));
    IniFile ini(folder.file(QStringLiteral("Tomaria.ini")));
    ini.setValue(QStringLiteral("Copie"), QStringLiteral("Numero"), QStringLiteral("3"));
    QVERIFY(ini.save());
    const auto made = SafetyCopy::automatic(&ran);
    QVERIFY(ran && made.ok);
    QVERIFY2(QFileInfo::exists(made.path), "the copy just made is never rotated away");
    QCOMPARE(SafetyCopy::list(copies).size(), 3);
    // The next is due a day after the copy this catalogue really made.
    Clock::setFixed(QDateTime(QDate(2030, 1, 2), QTime(11, 0)));
    setModified(folder.file(QStringLiteral("DVD.pro")), QDateTime(QDate(2030, 1, 2), QTime(9, 0)));
    QVERIFY(SafetyCopy::due(copies));
    Clock::setFixed(QDateTime(QDate(2030, 1, 1), QTime(20, 0)));
    QVERIFY(!SafetyCopy::due(copies));
}

// clang-format off
void BackupCoreTest::restoreFailingPartWayChangesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("fails at the second rename") << "forced" << "provocato";
    QTest::newRow("fails at the last rename") << "forced-last" << "provocato";
    QTest::newRow("attachment name too long") << "long" << "nome troppo lungo";
    QTest::newRow("folder where an attachment goes") << "folder" << "c'è una cartella";
    QTest::newRow("file where the attachments go") << "file" << "non la cartella degli allegati";
}
// clang-format on

void BackupCoreTest::restoreFailingPartWayChangesNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    TestFolder folder;
    fill(folder);
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    QByteArray attachment = "Documenti_Allegati/nuovo.pdf";
    if (kind == QLatin1String("long"))
        attachment = "Documenti_Allegati/" + QByteArray(300, 'a') + ".pdf";
    QVERIFY(!writeZip(zip,
        {{"Libri.pro", cards(Books::collection(), 9, QStringLiteral("r"))}, {"DVD.pro", cards(Dvds::collection(), 9, QStringLiteral("r"))},
            {attachment, "pdf"}})
                 .isEmpty());
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(folder.file(QStringLiteral("Documenti_Allegati/nuovo.pdf"))));
    if (kind == QLatin1String("file")) {
        QVERIFY(QDir(folder.file(QStringLiteral("Documenti_Allegati"))).removeRecursively());
        folder.write(QStringLiteral("Documenti_Allegati"), "un file");
    }
    // Seven renames: three files of the zip, then 2024.art, 2025.art and two attachments that go.
    if (kind == QLatin1String("forced"))
        Restore::failAtStepForTests(2);
    if (kind == QLatin1String("forced-last"))
        Restore::failAtStepForTests(7);
    // The catalogue's identity file records the copy of before: not the catalogue.
    const auto catalogueTree = [&] {
        auto all = tree(folder.path(), kCopies);
        all.remove(CatalogueMark::kFileName);
        return all;
    };
    const auto before = catalogueTree();
    const auto done = Restore::restore(zip, folder.file(kCopies));
    Restore::failAtStepForTests(0);
    QVERIFY(!done.ok);
    QVERIFY(done.unchanged);
    QVERIFY2(done.error.contains(message), qPrintable(done.error));
    QCOMPARE(catalogueTree(), before);
    if (kind.startsWith(QLatin1String("forced"))) {
        QVERIFY2(done.error.contains(QStringLiteral("il catalogo non è cambiato")), qPrintable(done.error));
        QVERIFY(QFileInfo::exists(done.aside));
    }
}

// clang-format off
void BackupCoreTest::killedRestoreIsCompletedByTheNextOpener_data()
{
    QTest::addColumn<int>("step");
    // Four files of the zip, then 2025.art and two attachments that go.
    for (int step = 1; step <= 7; ++step)
        QTest::newRow(qPrintable(QStringLiteral("killed after rename %1").arg(step))) << step;
}
// clang-format on

void BackupCoreTest::killedRestoreIsCompletedByTheNextOpener()
{
    QFETCH(int, step);
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    QVERIFY(!writeZip(zip,
        {{"Libri.pro", cards(Books::collection(), 4, QStringLiteral("r"))}, {"DVD.pro", cards(Dvds::collection(), 1, QStringLiteral("r"))},
            {"2024.art", cards(Articles::collection(), 6, QStringLiteral("r"))}, {"Documenti_Allegati/nuovo.txt", "nuovo"}})
                 .isEmpty());
    // What a restore that runs to its end gives.
    TestFolder twin;
    fill(twin);
    QVERIFY(Restore::restore(zip, twin.file(kCopies)).ok);
    const auto expected = catalogueOf(twin.path());

    TestFolder folder;
    fill(folder);
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOMARIA_TEST_KILL_AT_RESTORE_STEP"), QString::number(step));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(TOMARIA_CLI), {QStringLiteral("--folder"), folder.path(), QStringLiteral("restore"), zip});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitStatus(), QProcess::CrashExit);
    QVERIFY(RestoreJournal::pending(folder.path()));

    // The next opener, whatever it opens, completes the restore first.
    ProgramFolder::setPath(folder.path());
    QCOMPARE(cardsIn(folder.file(QStringLiteral("DVD.pro"))), 1);
    QVERIFY(!RestoreJournal::pending(folder.path()));
    QCOMPARE(catalogueOf(folder.path()), expected);
    QVERIFY(QDir(folder.path()).entryList({StagingFolder::kRestore + QLatin1Char('*')}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

// A copy's or a restore's work folder is emptied while its "in use" mark
// is still there and held: a stop at that moment leaves a mark nobody
// holds, taken at once by the next removal, never a folder without one.
void BackupCoreTest::workFolderLosesItsMarkLast()
{
    TestFolder folder;
    fill(folder);
    QStringList seen;
    StagingFolder::setTestHook([&](const QString& work) {
        seen << QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).join(u',');
        QCOMPARE(StagingFolder::removeDead(QFileInfo(work).absolutePath(), QFileInfo(work).fileName().chopped(6)), 0);
    });
    const auto reset = qScopeGuard([] { StagingFolder::setTestHook({}); });
    const auto made = SafetyCopy::make(folder.file(kCopies));
    QVERIFY2(made.ok, qPrintable(made.error));
    const auto done = Restore::restore(made.path, folder.file(kCopies));
    QVERIFY2(done.ok, qPrintable(done.error));
    QVERIFY(!seen.isEmpty());
    for (const QString& left : seen)
        QCOMPARE(left, QStringLiteral(".in-uso"));
    QVERIFY(QDir(folder.file(kCopies)).entryList({StagingFolder::kCopy + QLatin1Char('*')}, QDir::AllEntries | QDir::Hidden).isEmpty());
    QVERIFY(QDir(folder.path()).entryList({StagingFolder::kRestore + QLatin1Char('*')}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

void BackupCoreTest::leftoversOfCutShortWorkGo()
{
    TestFolder folder;
    fill(folder);
    const QString copies = folder.file(kCopies);
    QVERIFY(QDir().mkpath(copies));
    // Left by copies and a restore that were killed: full size, hidden.
    for (const QString& dead :
        {copies + QStringLiteral("/.Tomaria-copia-aB3dE9"), folder.file(QStringLiteral(".Tomaria-ripristino-Xy12zQ"))}) {
        QVERIFY(QDir().mkpath(dead));
        QFile alive(dead + QStringLiteral("/.in-uso"));
        QVERIFY(alive.open(QIODevice::WriteOnly));
        QFile big(dead + QStringLiteral("/0"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write(noise(100000, 9)) == 100000);
    }
    // Work under way, and files of the user's that only look alike.
    StagingFolder running(copies, StagingFolder::kCopy);
    QVERIFY(running.isValid());
    folder.write(QStringLiteral("Copie_di_sicurezza/.Tomaria-copia-mie.txt"), "mio");
    QVERIFY(QDir().mkpath(copies + QStringLiteral("/.Tomaria-copia-dell-utente")));
    const auto made = SafetyCopy::make(copies);
    QVERIFY2(made.ok, qPrintable(made.error));
    QVERIFY(!QFileInfo::exists(copies + QStringLiteral("/.Tomaria-copia-aB3dE9")));
    QVERIFY(!QFileInfo::exists(folder.file(QStringLiteral(".Tomaria-ripristino-Xy12zQ"))));
    QVERIFY(QFileInfo::exists(running.path()));
    QCOMPARE(folder.read(QStringLiteral("Copie_di_sicurezza/.Tomaria-copia-mie.txt")), QByteArray("mio"));
    QVERIFY(QFileInfo(copies + QStringLiteral("/.Tomaria-copia-dell-utente")).isDir());
}

void BackupCoreTest::copiesFolderInsideTheAttachmentsIsRefused()
{
    TestFolder folder;
    fill(folder);
    const auto before = tree(folder.path());
    for (const QString& inside : {QStringLiteral("Documenti_Allegati"), QStringLiteral("Documenti_Allegati/copie"),
             QStringLiteral("Documenti_Allegati/vecchi/../copie")}) {
        const auto made = SafetyCopy::make(folder.file(inside));
        QVERIFY(!made.ok);
        QVERIFY2(made.error.contains(QStringLiteral("dentro la cartella degli allegati")), qPrintable(made.error));
        QCOMPARE(tree(folder.path()), before);
    }
    QVERIFY(SafetyCopy::make(folder.file(QStringLiteral("Documenti_Allegati copie"))).ok);
}

void BackupCoreTest::copyNeedsAnArchive()
{
    // A fresh install: only the password file and the settings.
    TestFolder folder;
    folder.write(QStringLiteral("unins000.dll"), QByteArray("[Accesso]\r\nValore=abc\r\n"));
    folder.write(QStringLiteral("Tomaria.ini"), QByteArray("[Prestiti]\r\nGiorni=12\r\n"));
    const auto made = SafetyCopy::make(folder.file(kCopies));
    QVERIFY(!made.ok);
    QVERIFY2(made.error.contains(QStringLiteral("non ha ancora archivi")), qPrintable(made.error));
    QVERIFY2(!QFileInfo::exists(folder.file(kCopies)), "a failed copy leaves no folder behind");
}

void BackupCoreTest::restoreKeepsThisComputersCopySettings()
{
    TestFolder folder;
    fill(folder);
    folder.write(
        QStringLiteral("Tomaria.ini"), QByteArray("[Prestiti]\r\nGiorni=12\r\n[Copie]\r\nCartella=copie su chiavetta\r\nNumero=4\r\n"));
    QTemporaryDir elsewhere;
    const QString zip = elsewhere.filePath(QStringLiteral("Tomaria-2030-01-01-000000.zip"));
    QVERIFY(!writeZip(zip,
        {{"Libri.pro", cards(Books::collection(), 3, QStringLiteral("r"))},
            {"Tomaria.ini", "[Copie]\r\nCartella=vecchie\r\n[Prestiti]\r\nGiorni=30\r\n"}})
                 .isEmpty());
    const auto done = Restore::restore(zip, SafetyCopy::folder());
    QVERIFY2(done.ok, qPrintable(done.error));
    const IniFile ini(folder.file(QStringLiteral("Tomaria.ini")));
    QCOMPARE(ini.value(QStringLiteral("Prestiti"), QStringLiteral("Giorni")), QStringLiteral("30"));
    QCOMPARE(ini.value(QStringLiteral("Copie"), QStringLiteral("Cartella")), QStringLiteral("copie su chiavetta"));
    QCOMPARE(ini.value(QStringLiteral("Copie"), QStringLiteral("Numero")), QStringLiteral("4"));
    // The copy of before stays where this computer keeps its copies, and is listed there.
    QVERIFY(done.aside.startsWith(folder.file(QStringLiteral("copie su chiavetta/"))));
    QCOMPARE(SafetyCopy::list(SafetyCopy::folder()).first().path, done.aside);
}

QTEST_GUILESS_MAIN(BackupCoreTest)
#include "test_backup_core.moc"
