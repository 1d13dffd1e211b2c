#include "RestoreJournal.h"

#include "core/storage/DiskFile.h"
#include "core/storage/FileLock.h"
#include "core/storage/SideFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

constexpr char kMagic[] = "tomaria-ripristino 1";

// Whether anything (a file, a folder, a dangling link) bears the name.
bool there(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool move(const QString& from, const QString& to, QString* reason)
{
    errno = 0;
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (reason)
        *reason = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(to), DiskFile::systemText(errno));
    return false;
}

QByteArray field(const QString& s)
{
    return s.toUtf8().toPercentEncoding();
}

QString unfield(const QByteArray& s)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(s));
}

struct Plan {
    QString staging;
    QList<RestoreJournal::Step> steps;
};

std::optional<Plan> parse(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    // magic, staging, steps..., "fine", and the empty piece after the last line end
    if (lines.size() < 4 || lines.first() != kMagic || lines.value(lines.size() - 2) != "fine" || !lines.last().isEmpty())
        return std::nullopt;
    Plan plan;
    plan.staging = unfield(lines[1]);
    if (plan.staging.isEmpty() || plan.staging.contains(QLatin1Char('/')) || !plan.staging.startsWith(QLatin1Char('.')))
        return std::nullopt;
    for (qsizetype i = 2; i < lines.size() - 2; ++i) {
        const QList<QByteArray> parts = lines[i].split('\t');
        if (parts.size() != 3)
            return std::nullopt;
        RestoreJournal::Step step{unfield(parts[0]), unfield(parts[1]), unfield(parts[2])};
        // Only names inside the program folder, and staged files inside the staging folder.
        const auto inside = [](const QString& name) {
            return !name.isEmpty() && !name.startsWith(QLatin1Char('/')) && !name.split(QLatin1Char('/')).contains(QStringLiteral(".."));
        };
        const QString staged = plan.staging + QLatin1Char('/');
        if (!inside(step.target) || !step.outgoing.startsWith(staged) || !inside(step.outgoing)
            || (!step.incoming.isEmpty() && (!step.incoming.startsWith(staged) || !inside(step.incoming))))
            return std::nullopt;
        plan.steps << step;
    }
    return plan;
}

bool stepForward(const QString& folder, const RestoreJournal::Step& step, QString* reason)
{
    const QString target = folder + step.target, outgoing = folder + step.outgoing;
    if (step.incoming.isEmpty())
        return !there(target) || move(target, outgoing, reason);
    const QString incoming = folder + step.incoming;
    if (!there(incoming))
        return true; // done already
    if (there(target) && !there(outgoing) && !move(target, outgoing, reason))
        return false;
    return move(incoming, target, reason);
}

bool stepBack(const QString& folder, const RestoreJournal::Step& step, QString* reason)
{
    const QString target = folder + step.target, outgoing = folder + step.outgoing;
    if (!step.incoming.isEmpty()) {
        const QString incoming = folder + step.incoming;
        if (there(target) && !there(incoming) && !move(target, incoming, reason))
            return false;
    }
    return !there(outgoing) || there(target) || move(outgoing, target, reason);
}

void syncFolders(const QString& folder, const QList<RestoreJournal::Step>& steps)
{
    QStringList done;
    for (const RestoreJournal::Step& s : steps) {
        const QString parent = QFileInfo(folder + s.target).absolutePath();
        if (!done.contains(parent)) {
            DiskFile::syncFolder(parent);
            done << parent;
        }
    }
    DiskFile::syncFolder(folder);
}

// The staged files first, the folder's hidden marks (its "in use" mark)
// last: a stop in between leaves a folder that still tells whether its
// work is alive, so it is taken at once rather than after a grace time.
void removeMarksLast(const QString& path)
{
    const QDir dir(path);
    const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().startsWith(QLatin1Char('.')))
            continue;
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    QDir(path).removeRecursively();
}

void removeJournalAndStaging(const QString& folder, const QString& staging)
{
    QFile::remove(folder + RestoreJournal::kFileName);
    DiskFile::syncFolder(folder);
    if (!staging.isEmpty())
        removeMarksLast(folder + staging);
}

} // namespace

RestoreJournal::~RestoreJournal()
{
    m_lock.reset();
}

bool RestoreJournal::begin(const QString& folder, const QString& staging, const QList<Step>& steps, QString* reason)
{
    m_folder = folder;
    m_staging = staging;
    m_steps = steps;
    QByteArray text = QByteArray(kMagic) + '\n' + field(staging) + '\n';
    for (const Step& s : steps)
        text += field(s.target) + '\t' + field(s.incoming) + '\t' + field(s.outgoing) + '\n';
    text += "fine\n";
    // Whole or not at all: a journal cut in the middle would be no plan.
    // A new file renamed over its name, never through a link.
    if (!SideFile::replace(
            folder + kFileName, [&](QFileDevice& f, QString*) { return DiskFile::writeAll(f, text.constData(), text.size()); }, reason))
        return false;
    m_file = std::make_unique<QFile>(folder + kFileName);
    if (!SideFile::open(*m_file, folder + kFileName, QIODevice::ReadOnly)) {
        if (reason)
            *reason = DiskFile::failureReason(*m_file);
        QFile::remove(folder + kFileName);
        return false;
    }
    m_lock = std::make_unique<FileLock>(*m_file, 0);
    return true;
}

bool RestoreJournal::forward(qsizetype i, QString* reason)
{
    return stepForward(m_folder, m_steps.at(i), reason);
}

bool RestoreJournal::back(qsizetype i, QString* reason)
{
    return stepBack(m_folder, m_steps.at(i), reason);
}

void RestoreJournal::finish()
{
    syncFolders(m_folder, m_steps);
    m_lock.reset();
    m_file.reset();
    removeJournalAndStaging(m_folder, m_staging);
}

bool RestoreJournal::pending(const QString& folder)
{
    // A link or special file at the journal's name is no journal: left
    // alone (and said), there is none.
    switch (SideFile::standing(folder + kFileName)) {
    case SideFile::Standing::Absent:
        return false;
    case SideFile::Standing::Foreign:
        SideFile::noticeForeign(folder + kFileName);
        return false;
    case SideFile::Standing::Regular:
        break;
    }
    return true;
}

QString RestoreJournal::complete(const QString& folder)
{
    const QString path = folder + kFileName;
    if (!pending(folder))
        return {};
    QFile journal(path);
    if (!SideFile::open(journal, path, QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(kFileName, DiskFile::failureReason(journal));
    // A restore under way holds the lock; once it is had, the journal
    // may be gone (that restore ended) or be another one.
    const FileLock lock(journal);
    if (!lock.locked())
        return QStringLiteral("un ripristino del catalogo è in corso in un altro programma");
    if (!DiskFile::identityOf(journal).sameAs(DiskFile::identityOf(path)))
        return {};
    const std::optional<Plan> plan = parse(journal.readAll());
    if (!plan)
        return QStringLiteral("%1 è illeggibile: il ripristino interrotto non può essere completato").arg(kFileName);
    for (const Step& s : plan->steps) {
        const QString parent = QFileInfo(folder + s.target).absolutePath();
        if (!QDir().mkpath(parent))
            return QStringLiteral("impossibile creare la cartella %1").arg(QDir::toNativeSeparators(parent));
        QString why;
        if (!stepForward(folder, s, &why))
            return QStringLiteral("il ripristino interrotto non può essere completato: %1").arg(why);
    }
    syncFolders(folder, plan->steps);
    removeJournalAndStaging(folder, plan->staging);
    return {};
}
