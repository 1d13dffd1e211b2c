#include "ExportTarget.h"

#include "core/access/PasswordFile.h"
#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/Spreadsheet.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The name compared without regard to case, as Windows finds files.
bool isProgramFile(const QString& name)
{
    if (name.compare(PasswordFile::kFileName, Qt::CaseInsensitive) == 0)
        return true;
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

// The folder holding `path`, with links resolved where it exists.
QString folderOf(const QFileInfo& file)
{
    const QString canonical = QFileInfo(file.absolutePath()).canonicalFilePath();
    return canonical.isEmpty() ? file.absolutePath() : canonical;
}

// `ours` tells a file of the same kind that this program wrote, which may
// be replaced; `kind` names that kind in the refusal.
QString refusalFor(const QString& path, bool (*ours)(const QString&), const QString& kind)
{
    QFileInfo target(path);
    // A link is judged by the file it leads to, which is what gets replaced.
    if (target.isSymLink())
        target = QFileInfo(target.symLinkTarget());
    const QString programFolder = QFileInfo(ProgramFolder::path()).canonicalFilePath();
    if (isProgramFile(target.fileName()) && (programFolder.isEmpty() || folderOf(target) == programFolder))
        return QStringLiteral("%1 è un archivio o il file delle password del programma: l'esportazione non lo sostituisce")
            .arg(QDir::toNativeSeparators(path));
    if (target.exists() && !ours(target.filePath()))
        return QStringLiteral("%1 esiste e non è %2 scritto da questo programma: l'esportazione non lo sostituisce")
            .arg(QDir::toNativeSeparators(path), kind);
    return QString();
}

} // namespace

namespace ExportTarget {

QString refusal(const QString& path)
{
    return refusalFor(path, &Spreadsheet::isOurs, QStringLiteral("un foglio di calcolo"));
}

QString csvRefusal(const QString& path)
{
    return refusalFor(path, &CardCsv::isOurs, QStringLiteral("un file CSV completo"));
}

} // namespace ExportTarget
