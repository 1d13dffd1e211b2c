#include "StagingFolder.h"

#include "core/storage/FileLock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kAlive = QStringLiteral(".in-uso");
// A folder without its lock file is taken for a leftover only when it is
// older than this: its program may be between making it and locking.
constexpr int kGraceSeconds = 10 * 60;

bool old(const QFileInfo& info)
{
    return info.lastModified().secsTo(QDateTime::currentDateTime()) > kGraceSeconds;
}

std::function<void(const QString&)>& testHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

} // namespace

StagingFolder::StagingFolder(const QString& parent, const QString& prefix)
    : m_dir(QDir(parent).filePath(prefix + QStringLiteral("XXXXXX")))
{
    if (!m_dir.isValid())
        return;
    m_alive.setFileName(m_dir.filePath(kAlive));
    if (!m_alive.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return;
    auto lock = std::make_unique<FileLock>(m_alive, 0);
    if (lock->locked())
        m_lock = std::move(lock);
}

StagingFolder::~StagingFolder()
{
    if (m_dir.isValid() && m_dir.autoRemove() && m_lock && QFileInfo::exists(m_dir.path())) {
        // The contents go first, the mark last: a stop in between leaves a
        // folder whose mark nobody holds, which the next removeDead takes at
        // once, never a folder without its mark, which waits out the grace.
        const QDir dir(m_dir.path());
        const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (entry.fileName() == kAlive)
                continue;
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
        if (testHook())
            testHook()(m_dir.path());
    }
    m_lock.reset();
    m_alive.close();
}

void StagingFolder::setTestHook(std::function<void(const QString& folder)> hook)
{
    testHook() = std::move(hook);
}

QString StagingFolder::name() const
{
    return QFileInfo(m_dir.path()).fileName();
}

int StagingFolder::removeDead(const QString& parent, const QString& prefix)
{
    int removed = 0;
    const QDir dir(parent);
    const auto entries = dir.entryInfoList(
        {prefix + QStringLiteral("*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& info : entries) {
        if (info.fileName().size() != prefix.size() + 6 || !info.fileName().startsWith(prefix))
            continue;
        QFile alive(QDir(info.filePath()).filePath(kAlive));
        bool dead;
        if (alive.open(QIODevice::ReadOnly)) {
            const FileLock lock(alive, 0);
            dead = lock.locked();
        } else {
            dead = !alive.exists() && old(info);
        }
        alive.close();
        if (dead && QDir(info.filePath()).removeRecursively())
            ++removed;
    }
    if (prefix == kCopy) {
        // Earlier versions wrote the unfinished zip beside the copies.
        const auto parts = dir.entryInfoList({QStringLiteral(".Tomaria-*.zip.part*")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        for (const QFileInfo& info : parts) {
            if (old(info) && QFile::remove(info.filePath()))
                ++removed;
        }
    }
    return removed;
}
