#pragma once

#include <QString>

struct Collection;

// Codes for new cards: the next free numbers after the highest code of an
// archive that is `prefix` followed by digits only ("L000123" ->
// "L000124"), with as many digits as that code had (six when none has).
class NextCodes {
public:
    // False when the archive exists and cannot be read to its end; a
    // missing archive starts from 1.
    bool load(const Collection& collection, const QString& archivePath, const QString& prefix);

    QString take(); // the next code; the one after it next time
    qint64 next() const { return m_next; }

private:
    QString m_prefix;
    qint64 m_next = 1;
    int m_width = 6;
};
