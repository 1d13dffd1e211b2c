#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <memory>

class FileLock;

// The journal of a restore: which staged file takes which catalogue file's
// place, and where the file it replaces goes meanwhile. It is on the disk
// (".Tomaria-ripristino.journal" in the program folder) before the first
// rename and removed after the last, so a restore cut short by a kill or a
// power cut leaves it behind, and whoever opens the catalogue next
// completes the restore before anything else: a restore gives the whole
// copy's catalogue or none of it. Each step is a rename that can be done
// again, or undone, from whatever point it was left at.
class RestoreJournal {
public:
    static inline const QString kFileName = QStringLiteral(".Tomaria-ripristino.journal");

    // Names relative to the program folder. An empty `incoming` removes
    // `target` (moved to `outgoing`, which goes with the staging folder).
    struct Step {
        QString target;
        QString incoming;
        QString outgoing;
    };

    RestoreJournal() = default;
    ~RestoreJournal();
    RestoreJournal(const RestoreJournal&) = delete;
    RestoreJournal& operator=(const RestoreJournal&) = delete;

    // Writes the journal of `steps` in `folder` (with its trailing
    // separator), flushed to the disk, and holds its lock until finish():
    // an opener meanwhile waits instead of completing a restore under way.
    bool begin(const QString& folder, const QString& staging, const QList<Step>& steps, QString* reason);
    // Step `i` done, or undone; false, with `reason`, when a rename failed.
    bool forward(qsizetype i, QString* reason);
    bool back(qsizetype i, QString* reason);
    // Removes the journal (the restore is over, done or undone) and then
    // the staging folder with what the restore replaced.
    void finish();

    // Whether `folder` holds the journal of a restore cut short.
    static bool pending(const QString& folder);
    // Completes the restore that a journal in `folder` describes, then
    // removes the journal and its staging folder. Empty when there was
    // none or it is now complete, else why not (the journal then stays).
    static QString complete(const QString& folder);

private:
    QString m_folder;
    QString m_staging;
    QList<Step> m_steps;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<FileLock> m_lock;
};
