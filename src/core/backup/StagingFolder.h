#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class FileLock;

// A hidden folder where a copy or a restore prepares its files
// (".Tomaria-copia-XXXXXX" beside the copies, ".Tomaria-ripristino-XXXXXX"
// in the program folder), removed when the work is over. While the work
// runs a file in it is locked, so that the leftovers of work cut short (a
// kill, a crash) are told from work under way in another program and
// removed by the next copy, restore or start, and only those.
class StagingFolder {
public:
    static inline const QString kCopy = QStringLiteral(".Tomaria-copia-");
    static inline const QString kRestore = QStringLiteral(".Tomaria-ripristino-");

    StagingFolder(const QString& parent, const QString& prefix);
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    bool isValid() const { return m_dir.isValid() && m_lock != nullptr; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString name() const; // the folder's own name, without its parent
    // Left on the disk at the end: a restore's journal now owns it.
    void keep() { m_dir.setAutoRemove(false); }

    // Removes the staging folders of `prefix` in `parent` that no running
    // program holds, and (beside the copies) the unfinished zips that
    // copies of earlier versions left beside them. Returns how many.
    static int removeDead(const QString& parent, const QString& prefix);

    // Tests see the folder at the end of the work, its contents removed and
    // its mark still held.
    static void setTestHook(std::function<void(const QString& folder)> hook);

private:
    QTemporaryDir m_dir;
    QFile m_alive;
    std::unique_ptr<FileLock> m_lock;
};
