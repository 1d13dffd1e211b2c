#include "Restore.h"

#include "core/backup/Catalogue.h"
#include "core/backup/SafetyCopy.h"
#include "core/backup/ZipArchive.h"
#include "core/collections/Collection.h"
#include "core/storage/DiskFile.h"
#include "core/storage/FileLock.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordLayout.h"
#include "core/storage/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>


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
    return name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\'))
        || (name.size() >= 2 && name[1] == QLatin1Char(':'));
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
    return {};
}

// Reads every entry to its end (libzip checks each one's CRC there); into
// files of `into` when given. An entry longer than it says is refused
// before it can fill the disk.
QString extract(zip_t* z, std::vector<Entry>& entries, const QTemporaryDir* into)
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
    ZipArchive::Handle z;
    std::vector<Entry> entries;
    result.error = openAndExamine(zipPath, z, entries);
    if (!result.error.isEmpty())
        return result;
    // Unpacked beside the catalogue, so that each file then takes its place
    // with one rename on the same disk.
    QTemporaryDir staging(program + QStringLiteral(".Tomaria-ripristino-XXXXXX"));
    if (!staging.isValid()) {
        result.error = QStringLiteral("impossibile scrivere nella cartella del programma");
        return result;
    }
    result.error = extract(z.get(), entries, &staging);
    z.reset();
    if (!result.error.isEmpty())
        return result;

    const QStringList before = Catalogue::present(program);
    if (std::any_of(before.begin(), before.end(), [](const QString& n) { return !n.endsWith(QLatin1Char('/')); })) {
        const SafetyCopy::Outcome aside = SafetyCopy::make(asideFolder);
        if (!aside.ok) {
            result.error = QStringLiteral("la copia del catalogo attuale non è riuscita (%1)").arg(aside.error);
            return result;
        }
        result.aside = aside.path;
    }

    // Every archive to be replaced is locked first, so no save or append
    // is half-way through one when it is replaced, and a lock that cannot
    // be had stops the restore before any file has changed.
    std::vector<std::unique_ptr<QFile>> held;
    std::vector<std::unique_ptr<FileLock>> locks;
    QSet<QString> restored;
    for (const Entry& e : entries) {
        restored.insert(e.name);
        if (e.kind != Catalogue::Kind::Archive || !DiskFile::isRegular(program + e.name))
            continue;
        held.push_back(std::make_unique<QFile>(program + e.name));
        if (!held.back()->open(QIODevice::ReadOnly)) {
            result.error = refuse(e.name, DiskFile::failureReason(*held.back()));
            return result;
        }
        locks.push_back(std::make_unique<FileLock>(*held.back()));
        if (!locks.back()->locked()) {
            result.error = refuse(e.name, RecordStore::kLocked);
            return result;
        }
    }
    const QString attachments = program + Catalogue::kAttachments;
    for (const Entry& e : entries) {
        std::error_code ec;
        if (e.kind == Catalogue::Kind::AttachmentsFolder || e.kind == Catalogue::Kind::Attachment) {
            if (!QDir().mkpath(attachments)) {
                result.error = refuse(e.name, QStringLiteral("impossibile creare la cartella"));
                return result;
            }
            if (e.kind == Catalogue::Kind::AttachmentsFolder)
                continue;
        }
        std::filesystem::rename(QFile::encodeName(e.staged).toStdString(),
            QFile::encodeName(program + e.name).toStdString(), ec);
        if (ec) {
            result.error = refuse(e.name, QString::fromLocal8Bit(ec.message().c_str()))
                + QStringLiteral("; il catalogo di prima è in %1").arg(QDir::toNativeSeparators(result.aside));
            return result;
        }
    }
    // Archives and attachments the copy did not have go: the catalogue is
    // then the copy's, and what went is in the aside copy.
    for (const QString& name : before) {
        const auto kind = Catalogue::kindOf(name);
        if (!restored.contains(name) && (kind == Catalogue::Kind::Archive || kind == Catalogue::Kind::Attachment))
            QFile::remove(program + name);
    }
    DiskFile::syncFolder(program);
    DiskFile::syncFolder(attachments);
    result.ok = true;
    return result;
}

} // namespace Restore
