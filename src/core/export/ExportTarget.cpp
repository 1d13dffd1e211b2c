#include "ExportTarget.h"

#include "core/access/PasswordFile.h"
#include "core/access/SettingsFile.h"
#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/export/Spreadsheet.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/SideFile.h"
#include "core/text/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool isArchiveName(const QString& name)
{
    for (const Collection* c : Collection::all()) {
        if (c->yearly()) {
            const QString suffix = Text::latin1(c->yearlySuffix);
            if (name.endsWith(suffix, Qt::CaseInsensitive))
                return true;
        } else if (name.compare(c->archiveName(), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool isExecutableName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^(tomaria(-cli)?(\\.exe)?|.*\\.(exe|dll|so(\\.[0-9.]+)?|dylib|bat|cmd|com))$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

// Whether `folder` is the program folder itself, by the system's identity
// of the two, so that a second name of it (a link, a bind mount) counts.
bool isProgramFolder(const QString& folder)
{
    const DiskFile::Identity a = DiskFile::identityOf(folder);
    const DiskFile::Identity b = DiskFile::identityOf(ProgramFolder::path());
    return a.valid && b.valid && a.device == b.device && a.inode == b.inode;
}

// A file of the program folder by what it is: any executable there.
bool isExecutableThere(const QString& path)
{
#ifndef Q_OS_WIN
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// Where a link points, relative targets read from the link's folder; empty
// when `path` is no link.
QString linkTarget(const QString& path)
{
#ifndef Q_OS_WIN
    QByteArray buffer(4096, '\0');
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer.data(), static_cast<std::size_t>(buffer.size()));
    if (n <= 0)
        return {};
    const QString target = QFile::decodeName(buffer.left(n));
    return QDir::cleanPath(QFileInfo(target).isAbsolute() ? target : QFileInfo(path).absolutePath() + QLatin1Char('/') + target);
#else
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : QString();
#endif
}

// Whether writing `path` would land on a file of the program folder: any
// name on the way (the one given and each link it leads through) that is
// such a file there, or an existing file that is one of them under another
// name (a hard link, a second name of the folder).
bool landsOnProgramFile(const QString& path)
{
    QString at = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40 && !at.isEmpty(); ++hops) {
        const QFileInfo hop(at);
        if (isProgramFolder(hop.absolutePath()) && (ExportTarget::isProgramFileName(hop.fileName()) || isExecutableThere(at)))
            return true;
        at = linkTarget(at);
    }
    const DiskFile::Identity target = DiskFile::identityOf(path);
    if (!target.valid)
        return false;
    const QDir program(ProgramFolder::path());
    const auto entries = program.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!ExportTarget::isProgramFileName(entry.fileName()) && !isExecutableThere(entry.filePath()))
            continue;
        const DiskFile::Identity theirs = DiskFile::identityOf(entry.filePath());
        if (theirs.valid && theirs.device == target.device && theirs.inode == target.inode)
            return true;
    }
    return false;
}

bool isPdf(const QString& path)
{
    QFile file(path);
    return DiskFile::isRegular(path) && file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}

// An ISO 2709 record begins with its five-digit length and its leader's
// indicator and subfield-code counts; a MARCXML file with XML naming the
// MARC name space early on.
bool isMarc(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(512);
    if (head.size() >= 24) {
        bool digits = true;
        for (int i = 0; i < 5; ++i)
            digits = digits && head.at(i) >= '0' && head.at(i) <= '9';
        if (digits && head.at(10) == '2' && head.at(11) == '2')
            return true;
    }
    return head.trimmed().startsWith('<') && head.contains("http://www.loc.gov/MARC21/slim");
}

bool isOurs(const QString& path, ExportTarget::Kind kind)
{
    switch (kind) {
    case ExportTarget::Kind::Spreadsheet:
        return Spreadsheet::isOurs(path);
    case ExportTarget::Kind::CompleteCsv:
        return CardCsv::isOurs(path);
    case ExportTarget::Kind::CompleteXlsx:
        return CardXlsx::isOurs(path);
    case ExportTarget::Kind::Pdf:
        return isPdf(path);
    case ExportTarget::Kind::Marc:
        return isMarc(path);
    }
    return false;
}

QString kindText(ExportTarget::Kind kind)
{
    switch (kind) {
    case ExportTarget::Kind::Spreadsheet:
        return QStringLiteral("un foglio di calcolo");
    case ExportTarget::Kind::CompleteCsv:
        return QStringLiteral("un file CSV completo");
    case ExportTarget::Kind::CompleteXlsx:
        return QStringLiteral("un foglio .xlsx completo");
    case ExportTarget::Kind::Pdf:
        return QStringLiteral("un file PDF");
    case ExportTarget::Kind::Marc:
        return QStringLiteral("un file MARC");
    }
    return {};
}

} // namespace

namespace ExportTarget {

bool isProgramFileName(const QString& name)
{
    if (name.compare(PasswordFile::kFileName, Qt::CaseInsensitive) == 0 || name.compare(SettingsFile::name(), Qt::CaseInsensitive) == 0
        || isExecutableName(name) || isArchiveName(name))
        return true;
    for (const SideFile::Row& row : SideFile::rows()) {
        if (!row.afterArchive && name.compare(row.name, Qt::CaseInsensitive) == 0)
            return true;
        if (row.afterArchive && name.endsWith(row.name, Qt::CaseInsensitive) && isArchiveName(name.chopped(row.name.size())))
            return true;
    }
    return false;
}

Check check(const QString& path, Kind kind)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return {Verdict::Refuse, QStringLiteral("nessun file indicato")};
    if (landsOnProgramFile(path))
        return {Verdict::Refuse,
            QStringLiteral("%1 è un file del catalogo o del programma (archivio, giornale, copia di ricerca, "
                           "impostazioni, password, inventario, eseguibile o libreria): non viene sostituito")
                .arg(shown)};
    const QFileInfo target(path); // through every link
    if (target.isDir())
        return {Verdict::Refuse, QStringLiteral("%1 è una cartella: non viene sostituita").arg(shown)};
    if (target.exists() && !target.isFile())
        return {Verdict::Refuse, QStringLiteral("%1 è un file speciale (dispositivo, FIFO o socket): non viene sostituito").arg(shown)};
    if (!target.exists() && target.isSymLink())
        return {Verdict::Refuse, QStringLiteral("%1 è un collegamento a un file che non esiste: non viene seguito").arg(shown)};
    if (target.exists() && !isOurs(path, kind))
        return {Verdict::Ask, QStringLiteral("%1 esiste già e non è %2 scritto da questo programma").arg(shown, kindText(kind))};
    return {};
}

QString refusal(const QString& path, Kind kind, bool force)
{
    const Check c = check(path, kind);
    if (c.verdict == Verdict::Refuse)
        return c.message;
    if (c.verdict == Verdict::Ask && !force)
        return c.message + QStringLiteral(": non viene sostituito senza --force");
    return {};
}

QString question(const QString& path)
{
    return QStringLiteral("%1 esiste già. Vuoi sostituirlo?").arg(QDir::toNativeSeparators(path));
}

} // namespace ExportTarget
