#include "SafetyCopy.h"

#include "core/access/IniFile.h"
#include "core/backup/Catalogue.h"
#include "core/backup/CatalogueMark.h"
#include "core/backup/StagingFolder.h"
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
#include "core/text/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace {

constexpr qint64 kBlock = 1 << 20;
const QString kSection = QStringLiteral("Copie");
const QString kFolderKey = QStringLiteral("Cartella");
const QString kKeepKey = QStringLiteral("Numero");
const QString kStamp = QStringLiteral("yyyy-MM-dd-HHmmss");

qint64& freeSpaceOverride()
{
    static qint64 bytes = -1;
    return bytes;
}

QString fileName(const QDateTime& when)
{
    return QStringLiteral("Tomaria-") + when.toString(kStamp) + QStringLiteral(".zip");
}

int recordSizeOf(const QString& name)
{
    const Collection* c = nullptr;
    return Catalogue::kindOf(name, &c) == Catalogue::Kind::Archive ? c->layout->size : 0;
}

// One catalogue file as it was copied: its name in the zip and the
// snapshot the zip is made from and compared with.
struct Staged {
    QString name;
    QString snapshot; // empty for the attachments folder
    QDateTime modified;
};

// Copies `source` into `target`. An archive is copied under its write
// lock, and only its whole records: a save or an append never runs during
// the copy, and a partial record left by another program is not a card.
// The journal of an append cut short is applied first (or, where the
// archive cannot be written, its length respected), as every opener does.
QString snapshot(const QString& source, const QString& target, int recordSize)
{
    if (!DiskFile::isRegular(source))
        return DiskFile::kNotRegular;
    QFile in(source);
    // Opened for writing only to cut back an append cut short.
    if (!(recordSize > 0 && in.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) && !in.open(QIODevice::ReadOnly))
        return DiskFile::failureReason(in);
    std::optional<FileLock> lock;
    qint64 limit = -1;
    if (recordSize > 0) {
        lock.emplace(in);
        if (!lock->locked())
            return RecordStore::kLocked;
        // Under the lock no append is running: a journal is a dead one's.
        if (in.isWritable()) {
            if (!AppendJournal::recover(in, source))
                return QStringLiteral("impossibile riportare l'archivio a prima di un'aggiunta interrotta: ") + DiskFile::failureReason(in);
        } else if (const auto pending = AppendJournal::pending(source);
                   pending && pending->length >= 0 && AppendJournal::guards(*pending, in, source)) {
            limit = pending->length;
        }
    }
    qint64 left = limit >= 0 ? std::min(limit, in.size()) : in.size();
    if (recordSize > 0)
        left -= left % recordSize;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return DiskFile::failureReason(out);
    QByteArray block(kBlock, Qt::Uninitialized);
    while (left > 0) {
        const qint64 got = in.read(block.data(), std::min(left, kBlock));
        if (got <= 0)
            return got < 0 ? DiskFile::failureReason(in) : QStringLiteral("il file si è accorciato durante la copia");
        if (!DiskFile::writeAll(out, block.constData(), got))
            return DiskFile::failureReason(out);
        left -= got;
    }
    if (!out.flush())
        return DiskFile::failureReason(out);
    return {};
}

// Reads the zip back and compares every entry, byte for byte, with the
// snapshot it was made from; an archive must hold whole records.
QString verify(const QString& zipPath, const QList<Staged>& staged)
{
    QString why;
    ZipArchive::Handle z = ZipArchive::open(zipPath, ZIP_RDONLY | ZIP_CHECKCONS, &why);
    if (!z)
        return why;
    if (zip_get_num_entries(z.get(), 0) != staged.size())
        return QStringLiteral("lo zip non contiene tutti i file copiati");
    QByteArray fromZip(kBlock, Qt::Uninitialized), fromCopy(kBlock, Qt::Uninitialized);
    for (qsizetype i = 0; i < staged.size(); ++i) {
        const char* name = zip_get_name(z.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
        if (!name || QString::fromUtf8(name) != staged[i].name)
            return QStringLiteral("lo zip non contiene i nomi copiati");
        if (staged[i].snapshot.isEmpty())
            continue;
        QFile copy(staged[i].snapshot);
        if (!copy.open(QIODevice::ReadOnly))
            return DiskFile::failureReason(copy);
        const int recordSize = recordSizeOf(staged[i].name);
        if (recordSize > 0 && copy.size() % recordSize != 0)
            return QStringLiteral("%1 non è fatto di schede intere").arg(staged[i].name);
        ZipArchive::File f(zip_fopen_index(z.get(), zip_uint64_t(i), 0));
        if (!f)
            return ZipArchive::reason(z.get());
        for (;;) {
            const zip_int64_t got = zip_fread(f.get(), fromZip.data(), zip_uint64_t(kBlock));
            if (got < 0)
                return ZipArchive::reason(zip_file_get_error(f.get()));
            const qint64 expected = copy.read(fromCopy.data(), got == 0 ? 1 : got);
            if (got == 0) {
                if (expected != 0)
                    return QStringLiteral("%1 è incompleto nello zip").arg(staged[i].name);
                break;
            }
            if (expected != got || std::memcmp(fromZip.constData(), fromCopy.constData(), std::size_t(got)) != 0)
                return QStringLiteral("%1 è diverso nello zip").arg(staged[i].name);
        }
    }
    return {};
}

QString writeZip(const QString& zipPath, const QList<Staged>& staged, const QString& comment)
{
    QString why;
    ZipArchive::Handle z = ZipArchive::open(zipPath, ZIP_CREATE | ZIP_EXCL, &why);
    if (!z)
        return why;
    if (!comment.isEmpty()) {
        const QByteArray text = comment.toUtf8();
        if (zip_set_archive_comment(z.get(), text.constData(), zip_uint16_t(text.size())) != 0)
            return ZipArchive::reason(z.get());
    }
    for (const Staged& s : staged) {
        const QByteArray name = s.name.toUtf8();
        zip_int64_t index;
        unsigned mode;
        if (s.snapshot.isEmpty()) {
            index = zip_dir_add(z.get(), name.constData(), ZIP_FL_ENC_UTF_8);
            mode = 0040755;
        } else {
            zip_source_t* source = zip_source_file_create(QFile::encodeName(s.snapshot).constData(), 0, -1, nullptr);
            if (!source)
                return ZipArchive::reason(z.get());
            index = zip_file_add(z.get(), name.constData(), source, ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(source);
            // The fastest deflate: fixed-size records padded with blanks
            // shrink almost as much as with the default, in a fraction of
            // the time, and the copy at close should not keep the user.
            else if (zip_set_file_compression(z.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 1) != 0)
                return ZipArchive::reason(z.get());
            mode = 0100644;
        }
        if (index < 0)
            return ZipArchive::reason(z.get());
        // Plain files and a folder for every unzip tool; the catalogue's own
        // times, so the copy shows when each file last changed.
        zip_file_set_external_attributes(z.get(), zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, zip_uint32_t(mode) << 16);
        if (s.modified.isValid())
            zip_file_set_mtime(z.get(), zip_uint64_t(index), time_t(s.modified.toSecsSinceEpoch()), 0);
    }
    if (zip_close(z.get()) != 0)
        return ZipArchive::reason(z.get()); // the handle discards what was written
    z.release();
    return {};
}

bool syncFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && DiskFile::syncToDisk(f);
}

QString settingsFile()
{
    return SettingsFile::path();
}

} // namespace

namespace SafetyCopy {

QString folder()
{
    const QString named = IniFile(settingsFile()).value(kSection, kFolderKey);
    const QString chosen = named.isEmpty() ? kDefaultFolder : QDir::fromNativeSeparators(named);
    return QDir::cleanPath(QDir(ProgramFolder::path()).absoluteFilePath(chosen));
}

int keep()
{
    bool ok = false;
    const int n = IniFile(settingsFile()).value(kSection, kKeepKey).toInt(&ok);
    return ok && n >= 1 && n <= kMaxKeep ? n : kDefaultKeep;
}

QDateTime momentOf(const QString& name)
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("Tomaria-([0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6})\\.zip")));
    const auto m = pattern.match(name);
    return m.hasMatch() ? QDateTime::fromString(m.captured(1), kStamp) : QDateTime();
}

QString folderRefused(const QString& toFolder)
{
    const QString attachments = QDir::cleanPath(ProgramFolder::file(Catalogue::kAttachments));
    // Compared as the disk resolves them where it can: a link or ".." in
    // either must not hide one inside the other.
    const auto resolved = [](const QString& path) {
        QString p = QDir::cleanPath(QDir(ProgramFolder::path()).absoluteFilePath(path));
        QStringList tail;
        while (!p.isEmpty() && !QFileInfo::exists(p)) {
            tail.prepend(QFileInfo(p).fileName());
            const QString up = QFileInfo(p).path();
            if (up == p)
                break;
            p = up;
        }
        const QString real = QFileInfo(p).canonicalFilePath();
        return QDir::cleanPath((real.isEmpty() ? p : real) + QLatin1Char('/') + tail.join(QLatin1Char('/')));
    };
    const QString folder = resolved(toFolder), inside = resolved(attachments);
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
    if (folder.compare(inside, cs) == 0 || folder.startsWith(inside + QLatin1Char('/'), cs))
        return QStringLiteral("la cartella delle copie %1 è dentro la cartella degli allegati %2: ogni copia conterrebbe "
                              "le precedenti; scegliere una cartella fuori da %3")
            .arg(QDir::toNativeSeparators(toFolder), Catalogue::kAttachments, Catalogue::kAttachments);
    return {};
}

QString identity()
{
    return CatalogueMark::identity(ProgramFolder::path(), false);
}

bool ofAnotherCatalogue(const Info& copy)
{
    return !copy.owner.isEmpty() && copy.owner != identity();
}

QString tidy(const QString& copiesFolder)
{
    const QString program = ProgramFolder::path();
    const QString why = RestoreJournal::complete(program);
    // The staging folder of a restore still to be completed is its journal's.
    if (why.isEmpty())
        StagingFolder::removeDead(program, StagingFolder::kRestore);
    if (!copiesFolder.isEmpty() && QFileInfo(copiesFolder).isDir())
        StagingFolder::removeDead(copiesFolder, StagingFolder::kCopy);
    return why;
}

Outcome make(const QString& toFolder, Content content)
{
    Outcome result;
    const QString program = ProgramFolder::path();
    result.error = tidy(toFolder);
    if (!result.error.isEmpty())
        return result;
    const QStringList names = Catalogue::present(program);
    const bool anyArchive = std::any_of(names.begin(), names.end(), [](const QString& n) { return recordSizeOf(n) > 0; });
    const bool anyFile = std::any_of(names.begin(), names.end(), [](const QString& n) { return !n.endsWith(QLatin1Char('/')); });
    if (content == Content::Archives ? !anyArchive : !anyFile) {
        result.error = anyFile ? QStringLiteral("il catalogo non ha ancora archivi: non c'è nulla da copiare")
                               : QStringLiteral("il catalogo è vuoto");
        return result;
    }
    result.error = folderRefused(toFolder);
    if (!result.error.isEmpty())
        return result;
    // A folder this copy creates goes again if the copy fails.
    const bool created = !QFileInfo::exists(toFolder);
    const auto failed = [&](const QString& why) {
        result.error = why;
        if (created)
            QDir().rmdir(toFolder);
        return result;
    };
    if (!QDir().mkpath(toFolder) || !QFileInfo(toFolder).isDir())
        return failed(QStringLiteral("impossibile creare la cartella %1").arg(QDir::toNativeSeparators(toFolder)));
    const QDir target(toFolder);
    // Named after the moment it began: a card saved after this moment is
    // seen as a change by the next copy. A name taken already moves on by
    // a second, so copies keep their order.
    QDateTime when = Clock::now();
    when.setTime(QTime(when.time().hour(), when.time().minute(), when.time().second()));
    while (QFileInfo::exists(target.filePath(fileName(when))))
        when = when.addSecs(1);
    const QString finalPath = target.filePath(fileName(when));
    const QString mark = CatalogueMark::identity(program, true);

    std::optional<StagingFolder> staging(std::in_place, toFolder, StagingFolder::kCopy);
    if (!staging->isValid())
        return failed(QStringLiteral("impossibile scrivere nella cartella %1").arg(QDir::toNativeSeparators(toFolder)));
    // The unfinished zip lies in the hidden staging folder: never taken
    // for a copy, and removed with it whatever stops the copy.
    const QString partPath = staging->filePath(QStringLiteral("copia.zip.part"));
    QList<Staged> staged;
    for (const QString& name : names) {
        Staged s{name, {}, QFileInfo(program + name).lastModified()};
        if (!name.endsWith(QLatin1Char('/'))) {
            s.snapshot = staging->filePath(QString::number(staged.size()));
            const QString why = snapshot(program + name, s.snapshot, recordSizeOf(name));
            if (!why.isEmpty()) {
                staging.reset();
                return failed(QStringLiteral("%1: %2").arg(name, why));
            }
        }
        staged << s;
    }
    QString why = writeZip(partPath, staged, mark.isEmpty() ? QString() : CatalogueMark::comment(mark, program));
    if (why.isEmpty())
        why = verify(partPath, staged);
    if (why.isEmpty() && !syncFile(partPath))
        why = QStringLiteral("impossibile portare lo zip sul disco");
    if (why.isEmpty() && !QFile::rename(partPath, finalPath))
        why = QStringLiteral("impossibile dare il nome finale allo zip");
    staging.reset();
    if (!why.isEmpty())
        return failed(why);
    DiskFile::syncFolder(toFolder);
    if (!mark.isEmpty())
        CatalogueMark::recordCopy(program, when, finalPath);
    result.ok = true;
    result.path = finalPath;
    result.error.clear();
    return result;
}

Info inspect(const QString& zipPath)
{
    Info info;
    const QFileInfo fi(zipPath);
    info.path = fi.absoluteFilePath();
    info.when = momentOf(fi.fileName());
    info.size = fi.size();
    ZipArchive::Handle z = ZipArchive::open(zipPath, ZIP_RDONLY, nullptr);
    if (!z)
        return info;
    info.readable = true;
    int commentSize = 0;
    if (const char* comment = zip_get_archive_comment(z.get(), &commentSize, ZIP_FL_ENC_GUESS)) {
        const CatalogueMark::Owner owner = CatalogueMark::parse(QString::fromUtf8(comment, commentSize));
        info.owner = owner.identity;
        info.ownerFolder = owner.folder;
    }
    const zip_int64_t n = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z.get(), zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
            continue;
        const QString name = QString::fromUtf8(st.name);
        const int recordSize = recordSizeOf(name);
        if (recordSize > 0)
            info.cards.append({name, qint64(st.size / zip_uint64_t(recordSize))});
    }
    return info;
}

QString cardsText(const QList<QPair<QString, qint64>>& cards)
{
    QStringList parts;
    for (const auto& [name, count] : cards)
        parts << QStringLiteral("%1: %2").arg(name).arg(count);
    return parts.join(QStringLiteral(", "));
}

QList<Info> list(const QString& folder)
{
    QList<Info> copies;
    const QDir dir(folder);
    const QString mine = identity();
    for (const QString& name : dir.entryList({QStringLiteral("Tomaria-*.zip")}, QDir::Files)) {
        if (!momentOf(name).isValid())
            continue;
        Info copy = inspect(dir.filePath(name));
        if (copy.owner.isEmpty() || copy.owner == mine)
            copies << copy;
    }
    std::sort(copies.begin(), copies.end(), [](const Info& a, const Info& b) { return a.when > b.when; });
    return copies;
}

QStringList rotate(const QString& folder, int keepCount, const QString& justMade)
{
    QStringList removed;
    const QString mine = identity();
    if (mine.isEmpty())
        return removed;
    const QString made = justMade.isEmpty() ? QString() : QFileInfo(justMade).absoluteFilePath();
    // The copy just made counts among the kept whatever the date in its
    // name: copies dated in the future (a wrong clock, another machine)
    // must not push it out.
    int kept = 0;
    const QList<Info> copies = list(folder);
    for (const Info& c : copies)
        kept += c.path == made ? 1 : 0;
    for (const Info& c : copies) {
        if (c.owner != mine || c.path == made)
            continue;
        if (kept < std::max(1, keepCount)) {
            ++kept;
            continue;
        }
        if (QFile::remove(c.path))
            removed << c.path;
    }
    return removed;
}

bool due(const QString& copies)
{
    const QString program = ProgramFolder::path();
    QList<QDateTime> changes;
    for (const QString& name : Catalogue::present(program)) {
        if (!name.endsWith(QLatin1Char('/')))
            changes << QFileInfo(program + name).lastModified();
    }
    if (changes.isEmpty())
        return false;
    const QDateTime now = Clock::now();
    // The last copy this catalogue made, as recorded when it was made;
    // else its newest copy here, but never one dated after now.
    const CatalogueMark::LastCopy recorded = CatalogueMark::lastCopy(program);
    QDateTime last = recorded.when;
    if (!last.isValid() || last > now || !QFileInfo::exists(recorded.path)) {
        last = {};
        for (const Info& c : list(copies)) {
            if (c.when <= now) {
                last = c.when;
                break;
            }
        }
    }
    if (!last.isValid())
        return true;
    if (last.secsTo(now) < 24 * 60 * 60)
        return false;
    // The name keeps whole seconds: a change within the copy's first
    // second counts as one made after it.
    return std::any_of(changes.begin(), changes.end(), [&](const QDateTime& t) { return t >= last; });
}

Outcome automatic(bool* ran)
{
    const QString target = folder();
    const bool needed = due(target);
    if (ran)
        *ran = needed;
    if (!needed)
        return {true, {}, {}};
    Outcome result = make(target);
    // Old copies go only once the new one is checked and named.
    if (result.ok)
        rotate(target, keep(), result.path);
    return result;
}

QString failureMessage(const QString& reason)
{
    return QStringLiteral("La copia di sicurezza del catalogo non è riuscita: %1.\r\n\r\n"
                          "Il catalogo non è stato modificato; le copie precedenti sono al loro posto.")
        .arg(reason);
}

void setFreeSpaceForTests(qint64 bytes)
{
    freeSpaceOverride() = bytes;
}

qint64 freeSpace(const QString& folder)
{
    if (freeSpaceOverride() >= 0)
        return freeSpaceOverride();
    return QStorageInfo(folder).bytesAvailable();
}

} // namespace SafetyCopy
