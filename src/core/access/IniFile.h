#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// An INI text file read and written line by line, so that the sections,
// keys, comments and blank lines it holds stay as they were. Section and
// key names match without regard to case; a value is read without the
// blanks around it. The file is Windows-1252 text (UTF-8 when it starts
// with a byte-order mark), with CR LF, LF or lone CR line ends; it is
// written as Windows-1252 with CR LF line ends into a temporary file beside
// it, flushed to the disk, that then replaces it, so a failed write leaves
// the old file whole.
class IniFile {
public:
    // Reads the file; a missing file is an empty one.
    explicit IniFile(QString path);

    // False when the file exists but could not be read, or is not a
    // regular file: saving it then would lose what it holds, so save()
    // refuses.
    bool readable() const { return m_readable; }

    // The value of `key` in `section`; empty when either is missing.
    QString value(QStringView section, QStringView key) const;

    // Replaces the value in place, or adds the key at the end of its
    // section, or adds the section at the end of the file.
    void setValue(QStringView section, QStringView key, QStringView value);

    bool save() const;

private:
    // The lines of `section` run from the returned index + 1 to `end`;
    // -1 when the file has no such section.
    qsizetype findSection(QStringView section, qsizetype* end) const;
    qsizetype findKey(qsizetype from, qsizetype to, QStringView key) const;

    QString m_path;
    QStringList m_lines;
    bool m_readable = true;
};
