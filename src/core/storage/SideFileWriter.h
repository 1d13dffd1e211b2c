#pragma once

#include <QFile>
#include <QString>

// A side file written whole (see SideFile): the bytes go to a new file
// beside `path`, created afresh and never through a link, and replace the
// file at `path` by a rename only at commit, when nothing foreign stands
// there. Destroyed without a commit, it leaves the old file as it was.
class SideFileWriter {
public:
    explicit SideFileWriter(const QString& path);
    ~SideFileWriter();
    SideFileWriter(const SideFileWriter&) = delete;
    SideFileWriter& operator=(const SideFileWriter&) = delete;

    // False, with `reason` in Italian, when a link, FIFO, device or folder
    // stands at `path` (said once) or the folder refuses a new file.
    bool open(QString* reason = nullptr);
    QFile& file() { return m_file; }
    // Flushes the new file to the disk and renames it over `path`.
    bool commit(QString* reason = nullptr);
    void cancel();

private:
    QString m_path;
    QString m_temporary;
    QFile m_file;
};
