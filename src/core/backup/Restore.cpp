#include "Restore.h"

#include "core/access/IniFile.h"
#include "core/backup/Catalogue.h"
#include "core/backup/CatalogueMark.h"
#include "core/backup/StagingFolder.h"
#include "core/backup/SafetyCopy.h"
#include "core/storage/ZipArchive.h"
#include "core/collections/Collection.h"
#include "core/access/SettingsFile.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/DiskFile.h"
#include "core/storage/RestoreJournal.h"
#include "core/storage/FileLock.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordLayout.h"
#include "core/storage/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <optional>
#include <vector>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

constexpr qint64 kBlock = 1 << 20;

struct Entry {
    QString name;
    zip_uint64_t index;
    zip_uint64_t size;
    Catalogue::Kind kind;
    QString staged; // where it was extracted
};

QString refuse(const QString& name, const QString& why)
{
    return QStringLiteral("%1: %2").arg(name, why);
}

// Whether a name climbs out of the folder it is unpacked into.
bool climbs(const QString& name)
{
    const QStringList parts = QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    return parts.contains(QStringLiteral(".."));
}

bool absolute(const QString& name)
{
    return name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) || (name.size() >= 2 && name[1] == QLatin1Char(':'));
}

// Reads the zip's directory and judges every name, type and size; the data
// itself is read by extract().
QString examine(zip_t* z, const QString& program, std::vector<Entry>& entries)
{
    const zip_int64_t n = zip_get_num_entries(z, 0);
    QSet<QString> seen;
    zip_uint64_t total = 0;
    const qint64 free = SafetyCopy::freeSpace(program);
    bool anyFile = false;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
            return ZipArchive::reason(z);
        const QString name = QString::fromUtf8(st.name);
        if (name.isEmpty())
            return QStringLiteral("una voce dello zip non ha nome");
        if (absolute(name))
            return refuse(name, QStringLiteral("nome assoluto, fuori dalla cartella del programma"));
        if (climbs(name))
            return refuse(name, QStringLiteral("nome con \"..\", fuori dalla cartella del programma"));
        const unsigned type = ZipArchive::fileType(z, zip_uint64_t(i));
        if (type == 0120000u)
            return refuse(name, QStringLiteral("collegamento simbolico"));
        const bool folder = name.endsWith(QLatin1Char('/'));
        if (type != 0 && type != (folder ? 0040000u : 0100000u))
            return refuse(name, QStringLiteral("non è un file normale"));
        // Names that differ only in letter case are one file on Windows.
        if (seen.contains(name.toCaseFolded()))
            return refuse(name, QStringLiteral("nome ripetuto nello zip"));
        seen.insert(name.toCaseFolded());
        const Collection* collection = nullptr;
        const Catalogue::Kind kind = Catalogue::kindOf(name, &collection);
        if (kind == Catalogue::Kind::Unknown)
            return refuse(name, QStringLiteral("non fa parte di un catalogo di Tomaria"));
        if (kind == Catalogue::Kind::AttachmentsFolder && st.size != 0)
            return refuse(name, QStringLiteral("non è una cartella"));
        if (collection && st.size % zip_uint64_t(collection->layout->size) != 0)
            return refuse(name, QStringLiteral("archivio non fatto di schede intere"));
        total += st.size;
        if (free >= 0 && (st.size > zip_uint64_t(free) || total > zip_uint64_t(free)))
            return refuse(name, QStringLiteral("dichiara %1 byte, più dello spazio libero sul disco").arg(st.size));
        anyFile = anyFile || kind != Catalogue::Kind::AttachmentsFolder;
        entries.push_back({name, zip_uint64_t(i), st.size, kind, {}});
    }
    if (!anyFile)
        return QStringLiteral("lo zip non contiene un catalogo");
    // Restoring it would remove every card and put none back.
    if (std::none_of(entries.begin(), entries.end(), [](const Entry& e) { return e.kind == Catalogue::Kind::Archive; })) {
        QStringList archives;
        for (const Collection* c : Collection::all())
            archives << c->archiveName(QStringLiteral("AAAA"));
        return QStringLiteral("lo zip non contiene alcun archivio di schede (%1): ripristinarlo toglierebbe tutte le schede")
            .arg(archives.join(QStringLiteral(", ")));
    }
    return {};
}

// Whether every file of the zip can take its place in `program`: names
// the disk can hold, and no folder or special file where a file goes, no
// file where the attachments' folder goes. Judged before the first
// rename, so that a restore never stops half-way on one of these.
QString checkTargets(const QString& program, const std::vector<Entry>& entries)
{
    long nameMax = 255;
#ifndef Q_OS_WIN
    const long limit = ::pathconf(QFile::encodeName(program).constData(), _PC_NAME_MAX);
    if (limit > 0)
        nameMax = limit;
#endif
    const QString attachments = program + Catalogue::kAttachments;
    const QFileInfo folder(attachments);
    for (const Entry& e : entries) {
        for (const QString& part : e.name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            if (QFile::encodeName(part).size() > nameMax)
                return refuse(e.name,
                    QStringLiteral("nome troppo lungo per il disco (%1 byte, al massimo %2)")
                        .arg(QFile::encodeName(part).size())
                        .arg(nameMax));
        }
        const bool inAttachments = e.kind == Catalogue::Kind::Attachment || e.kind == Catalogue::Kind::AttachmentsFolder;
        if (inAttachments && (folder.exists() || folder.isSymLink()) && (!folder.isDir() || folder.isSymLink()))
            return refuse(Catalogue::kAttachments,
                QStringLiteral("nella cartella del programma c'è un file con questo nome, non la cartella degli allegati"));
        if (e.kind == Catalogue::Kind::AttachmentsFolder)
            continue;
        const QFileInfo target(program + e.name);
        if (target.isSymLink() && !target.exists())
            return refuse(e.name, QStringLiteral("al suo posto c'è un collegamento che non porta a nessun file"));
        if (target.exists() && target.isDir())
            return refuse(e.name, QStringLiteral("al suo posto nella cartella del programma c'è una cartella"));
        if (target.exists() && !target.isFile())
            return refuse(e.name, QStringLiteral("al suo posto nella cartella del programma c'è un file speciale, non un file regolare"));
    }
    return {};
}

// The copies' place and number belong to this computer, not to the
// catalogue: the restored settings file keeps the current ones.
bool keepCopiesSettings(const QString& staged, const QString& current)
{
    static const QString section = QStringLiteral("Copie");
    const IniFile now(current);
    IniFile restored(staged);
    bool changed = false;
    for (const QString& key : {QStringLiteral("Cartella"), QStringLiteral("Numero")}) {
        const QString value = now.value(section, key);
        if (restored.value(section, key) != value) {
            restored.setValue(section, key, value);
            changed = true;
        }
    }
    return !changed || restored.save();
}

// Reads every entry to its end (libzip checks each one's CRC there); into
// files of `into` when given. An entry longer than it says is refused
// before it can fill the disk.
QString extract(zip_t* z, std::vector<Entry>& entries, const StagingFolder* into)
{
    QByteArray block(kBlock, Qt::Uninitialized);
    int number = 0;
    for (Entry& e : entries) {
        if (e.kind == Catalogue::Kind::AttachmentsFolder)
            continue;
        ZipArchive::File f(zip_fopen_index(z, e.index, 0));
        if (!f)
            return refuse(e.name, ZipArchive::reason(z));
        std::optional<QFile> out;
        if (into) {
            e.staged = into->filePath(QString::number(number++));
            out.emplace(e.staged);
            if (!out->open(QIODevice::WriteOnly | QIODevice::NewOnly))
                return refuse(e.name, DiskFile::failureReason(*out));
        }
        zip_uint64_t total = 0;
        for (;;) {
            const zip_int64_t got = zip_fread(f.get(), block.data(), zip_uint64_t(kBlock));
            if (got < 0)
                return refuse(e.name, ZipArchive::reason(zip_file_get_error(f.get())));
            if (got == 0)
                break;
            total += zip_uint64_t(got);
            if (total > e.size)
                return refuse(e.name, QStringLiteral("contiene più dati di quanti ne dichiara"));
            if (out && !DiskFile::writeAll(*out, block.constData(), got))
                return refuse(e.name, DiskFile::failureReason(*out));
        }
        if (total != e.size)
            return refuse(e.name, QStringLiteral("contiene meno dati di quanti ne dichiara"));
        if (out && !DiskFile::syncToDisk(*out))
            return refuse(e.name, DiskFile::failureReason(*out));
    }
    return {};
}

QString openAndExamine(const QString& zipPath, ZipArchive::Handle& z, std::vector<Entry>& entries)
{
    if (!DiskFile::isRegular(zipPath))
        return QFileInfo::exists(zipPath) ? DiskFile::kNotRegular : DiskFile::kMissing;
    QString why;
    z = ZipArchive::open(zipPath, ZIP_RDONLY, &why);
    if (!z)
        return why;
    why = examine(z.get(), ProgramFolder::path(), entries);
    if (!why.isEmpty())
        return why;
    // libzip's own consistency check of the whole directory, once the
    // names have had their clearer messages.
    if (!ZipArchive::open(zipPath, ZIP_RDONLY | ZIP_CHECKCONS, &why))
        return why;
    return {};
}

int& failAt()
{
    static int step = 0;
    return step;
}

} // namespace

namespace Restore {

QString check(const QString& zipPath)
{
    ZipArchive::Handle z;
    std::vector<Entry> entries;
    QString why = openAndExamine(zipPath, z, entries);
    if (why.isEmpty())
        why = extract(z.get(), entries, nullptr);
    return why;
}

Outcome restore(const QString& zipPath, const QString& asideFolder)
{
    Outcome result;
    const QString program = ProgramFolder::path();
    // A restore cut short is completed, and leftovers go, before anything.
    result.error = SafetyCopy::tidy(asideFolder);
    if (!result.error.isEmpty())
        return result;
    ZipArchive::Handle z;
    std::vector<Entry> entries;
    result.error = openAndExamine(zipPath, z, entries);
    if (result.error.isEmpty())
        result.error = checkTargets(program, entries);
    if (result.error.isEmpty())
        result.error = SafetyCopy::folderRefused(asideFolder);
    if (!result.error.isEmpty())
        return result;
    // Unpacked beside the catalogue, so that each file then takes its place
    // with one rename on the same disk.
    StagingFolder staging(program, StagingFolder::kRestore);
    if (!staging.isValid()) {
        result.error = QStringLiteral("impossibile scrivere nella cartella del programma");
        return result;
    }
    result.error = extract(z.get(), entries, &staging);
    z.reset();
    if (!result.error.isEmpty())
        return result;
    for (const Entry& e : entries) {
        if (e.name == SettingsFile::name() && !keepCopiesSettings(e.staged, program + e.name)) {
            result.error = refuse(e.name, QStringLiteral("impossibile tenervi la cartella e il numero delle copie di questo computer"));
            return result;
        }
    }

    const QStringList before = Catalogue::present(program);
    if (std::any_of(before.begin(), before.end(), [](const QString& n) { return !n.endsWith(QLatin1Char('/')); })) {
        const SafetyCopy::Outcome aside = SafetyCopy::make(asideFolder, SafetyCopy::Content::Anything);
        if (!aside.ok) {
            result.error = QStringLiteral("la copia del catalogo attuale non è riuscita (%1)").arg(aside.error);
            return result;
        }
        result.aside = aside.path;
    }

    // Every archive to be replaced or removed is locked first, so no save
    // or append is half-way through one when it is replaced, and a lock
    // that cannot be had stops the restore before any file has changed.
    // Under the locks no append runs: the journal of one cut short goes
    // (applied to the archive it guards, which the copy just made holds
    // as every opener sees it), so none is left for the restored archive.
    std::vector<std::unique_ptr<QFile>> held;
    std::vector<std::unique_ptr<FileLock>> locks;
    QSet<QString> archives;
    for (const Entry& e : entries) {
        if (e.kind == Catalogue::Kind::Archive)
            archives.insert(e.name);
    }
    for (const QString& name : before) {
        if (Catalogue::kindOf(name) == Catalogue::Kind::Archive)
            archives.insert(name);
    }
    for (const QString& name : archives) {
        const QString path = program + name;
        if (DiskFile::isRegular(path)) {
            held.push_back(std::make_unique<QFile>(path));
            if (!held.back()->open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && !held.back()->open(QIODevice::ReadOnly)) {
                result.error = refuse(name, DiskFile::failureReason(*held.back()));
                return result;
            }
            locks.push_back(std::make_unique<FileLock>(*held.back()));
            if (!locks.back()->locked()) {
                result.error = refuse(name, RecordStore::kLocked);
                return result;
            }
        }
        const QString journal = AppendJournal::pathFor(path);
        if ((QFileInfo::exists(journal) || QFileInfo(journal).isSymLink()) && !QFile::remove(journal)) {
            result.error = refuse(QFileInfo(journal).fileName(), QStringLiteral("impossibile toglierlo"));
            return result;
        }
    }

    // The plan: each file of the zip takes its place, and archives and
    // attachments the copy did not have go (what went is in the copy of
    // before); what each replaces waits in the staging folder until the end.
    QList<RestoreJournal::Step> steps;
    QSet<QString> restored;
    const QString stagingName = staging.name() + QLatin1Char('/');
    for (const Entry& e : entries) {
        restored.insert(e.name);
        if (e.kind == Catalogue::Kind::AttachmentsFolder)
            continue;
        const QString staged = QFileInfo(e.staged).fileName();
        steps.append({e.name, stagingName + staged, stagingName + QStringLiteral("prima-") + staged});
    }
    for (const QString& name : before) {
        const auto kind = Catalogue::kindOf(name);
        if (!restored.contains(name) && (kind == Catalogue::Kind::Archive || kind == Catalogue::Kind::Attachment))
            steps.append({name, QString(), stagingName + QStringLiteral("tolto-%1").arg(steps.size())});
    }
    const QString attachments = program + Catalogue::kAttachments;
    const bool makeFolder = !QFileInfo(attachments).isDir() && std::any_of(entries.begin(), entries.end(), [](const Entry& e) {
        return e.kind == Catalogue::Kind::AttachmentsFolder || e.kind == Catalogue::Kind::Attachment;
    });
    if (makeFolder && !QDir().mkpath(attachments)) {
        result.error = refuse(Catalogue::kAttachments, QStringLiteral("impossibile creare la cartella"));
        return result;
    }
    const auto nothingChanged = [&](const QString& why) {
        if (makeFolder)
            QDir().rmdir(attachments);
        result.error = why + QStringLiteral("; il catalogo non è cambiato");
        return result;
    };
    RestoreJournal journal;
    QString why;
    if (!journal.begin(program, staging.name(), steps, &why))
        return nothingChanged(QStringLiteral("impossibile scrivere il giornale del ripristino: ") + why);

    static const int killAt = qEnvironmentVariableIntValue("TOMARIA_TEST_KILL_AT_RESTORE_STEP");
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const bool forced = failAt() == i + 1;
        if (forced)
            why = refuse(steps[i].target, QStringLiteral("errore provocato dalla prova"));
        if (forced || !journal.forward(i, &why)) {
            // Put back what was replaced, from the last step to the first.
            for (qsizetype j = i; j >= 0; --j) {
                QString back;
                if (!journal.back(j, &back)) {
                    result.error = why
                        + QStringLiteral("; anche il ritorno al catalogo di prima non è riuscito (%1): "
                                         "il ripristino sarà completato alla prossima apertura del catalogo")
                              .arg(back);
                    result.unchanged = false;
                    return result;
                }
            }
            journal.finish();
            return nothingChanged(why);
        }
#ifndef Q_OS_WIN
        if (killAt == i + 1)
            ::raise(SIGKILL); // the kill tests: cut short after this rename
#endif
    }
    journal.finish();
    result.ok = true;
    result.unchanged = false;
    return result;
}

Preview preview(const QString& zipPath)
{
    Preview p;
    const QString program = ProgramFolder::path();
    const SafetyCopy::Info info = SafetyCopy::inspect(zipPath);
    ZipArchive::Handle z = ZipArchive::open(zipPath, ZIP_RDONLY, &p.error);
    if (!z || !info.readable) {
        if (p.error.isEmpty())
            p.error = QStringLiteral("lo zip non si può leggere");
        return p;
    }
    p.ofAnotherCatalogue = SafetyCopy::ofAnotherCatalogue(info);
    p.otherCatalogue = info.ownerFolder;
    QSet<QString> inZip;
    const zip_int64_t n = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        if (const char* name = zip_get_name(z.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS))
            inZip.insert(QString::fromUtf8(name));
    }
    const auto cardsNow = [&](const QString& name) -> qint64 {
        const Collection* c = nullptr;
        const QFileInfo file(program + name);
        if (Catalogue::kindOf(name, &c) != Catalogue::Kind::Archive || !file.isFile())
            return -1;
        return file.size() / c->layout->size;
    };
    for (const auto& [name, count] : info.cards)
        p.archives.append({name, cardsNow(name), count});
    for (const QString& name : Catalogue::present(program)) {
        const auto kind = Catalogue::kindOf(name);
        if (inZip.contains(name))
            continue;
        if (kind == Catalogue::Kind::Archive)
            p.archives.append({name, cardsNow(name), -1});
        else if (kind == Catalogue::Kind::Attachment)
            p.attachmentsRemoved << name.mid(Catalogue::kAttachments.size() + 1);
    }
    return p;
}

QString describe(const Preview& p)
{
    const auto cards = [](qint64 n) { return n == 1 ? QStringLiteral("1 scheda") : QStringLiteral("%1 schede").arg(n); };
    QStringList lines;
    for (const ArchiveChange& a : p.archives) {
        if (a.inCopy < 0)
            lines << QStringLiteral("%1: %2 ora, tolto (la copia non lo ha)").arg(a.name, cards(a.now));
        else if (a.now < 0)
            lines << QStringLiteral("%1: non c'è ora, %2 nella copia").arg(a.name, cards(a.inCopy));
        else
            lines << QStringLiteral("%1: %2 ora, %3 nella copia").arg(a.name, cards(a.now), cards(a.inCopy));
    }
    if (!p.attachmentsRemoved.isEmpty()) {
        constexpr qsizetype kShown = 10;
        QString line = QStringLiteral("Allegati tolti (la copia non li ha): ")
            + p.attachmentsRemoved.mid(0, kShown).join(QStringLiteral(", "));
        if (p.attachmentsRemoved.size() > kShown)
            line += QStringLiteral(" e altri %1").arg(p.attachmentsRemoved.size() - kShown);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

void failAtStepForTests(int step)
{
    failAt() = step;
}

} // namespace Restore
