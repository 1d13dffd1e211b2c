#include "ExportTarget.h"

#include "core/access/PasswordFile.h"
#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/export/Spreadsheet.h"
#include "core/access/SettingsFile.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A name that an archive, the password file, the settings file or an
// append's journal has or would have, compared without regard to case as
// Windows finds files; any year's article archive counts.
bool isProgramFile(QString name)
{
    if (name.endsWith(AppendJournal::kSuffix, Qt::CaseInsensitive))
        name.chop(AppendJournal::kSuffix.size());
    if (name.compare(PasswordFile::kFileName, Qt::CaseInsensitive) == 0 || name.compare(SettingsFile::name(), Qt::CaseInsensitive) == 0)
        return true;
    for (const Collection* c : Collection::all()) {
        if (c->yearly()) {
            if (name.endsWith(Text::latin1(c->yearlySuffix), Qt::CaseInsensitive))
                return true;
        } else if (name.compare(c->archiveName(), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// Whether `folder` is the program folder itself, by the system's identity
// of the two (device and inode), so that a second name of the folder (a
// link to it, a bind mount) is found too.
bool isProgramFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    struct stat a {
    }, b{};
    if (::stat(QFile::encodeName(folder).constData(), &a) != 0)
        return false;
    if (::stat(QFile::encodeName(ProgramFolder::path()).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
#else
    const QString mine = QFileInfo(ProgramFolder::path()).canonicalFilePath();
    const QString theirs = QFileInfo(folder).canonicalFilePath();
    return !mine.isEmpty() && mine.compare(theirs, Qt::CaseInsensitive) == 0;
#endif
}

// Where a link points, relative targets taken from the link's folder;
// empty when `path` is no link.
QString linkTarget(const QString& path)
{
#ifndef Q_OS_WIN
    const QByteArray encoded = QFile::encodeName(path);
    QByteArray buffer(4096, '\0');
    const ssize_t n = ::readlink(encoded.constData(), buffer.data(), static_cast<std::size_t>(buffer.size()));
    if (n <= 0)
        return {};
    const QString target = QFile::decodeName(buffer.left(n));
    return QDir::cleanPath(QFileInfo(target).isAbsolute() ? target : QFileInfo(path).absolutePath() + QLatin1Char('/') + target);
#else
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : QString();
#endif
}

// `ours` tells a file of the same kind that this program wrote, which may
// be replaced; `kind` names that kind in the refusal.
QString refusalFor(const QString& path, bool (*ours)(const QString&), const QString& kind)
{
    // Every name on the way counts, the one given and each link it leads
    // through: the file replaced is at the end of the chain, and a link
    // under an archive's name would itself be opened as that archive.
    QString at = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40 && !at.isEmpty(); ++hops) {
        const QFileInfo hop(at);
        if (isProgramFile(hop.fileName()) && isProgramFolder(hop.absolutePath()))
            return QStringLiteral("%1 è un archivio, il file delle password o un file di impostazioni del programma: "
                                  "l'esportazione non lo sostituisce")
                .arg(QDir::toNativeSeparators(path));
        const QString next = linkTarget(at);
        if (next.isEmpty())
            break;
        at = next;
    }
    const QFileInfo target(path);
    if (target.exists() && !ours(target.filePath()))
        return QStringLiteral("%1 esiste e non è %2 scritto da questo programma: l'esportazione non lo sostituisce")
            .arg(QDir::toNativeSeparators(path), kind);
    return QString();
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

} // namespace

namespace ExportTarget {

QString marcRefusal(const QString& path)
{
    return refusalFor(path, &isMarc, QStringLiteral("un file MARC"));
}

QString refusal(const QString& path)
{
    return refusalFor(path, &Spreadsheet::isOurs, QStringLiteral("un foglio di calcolo"));
}

QString csvRefusal(const QString& path)
{
    return refusalFor(path, &CardCsv::isOurs, QStringLiteral("un file CSV completo"));
}

QString xlsxRefusal(const QString& path)
{
    return refusalFor(path, &CardXlsx::isOurs, QStringLiteral("un foglio .xlsx completo"));
}

QString pdfRefusal(const QString& path)
{
    const QFileInfo target(path);
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
        || (target.exists() && !target.canonicalFilePath().endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)))
        return QStringLiteral("%1 non è un file PDF: non viene sostituito").arg(QDir::toNativeSeparators(path));
    return QString();
}

} // namespace ExportTarget
