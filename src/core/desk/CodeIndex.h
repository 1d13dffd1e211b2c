#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

struct Collection;

// Where each code of one archive lies, so that a scan at the desk reads the
// few cards that hold the code instead of the whole archive. The index
// knows the archive's size and time of change when it was built; a lookup
// that finds either changed (another program saved a card) builds it again.
class CodeIndex {
public:
    explicit CodeIndex(const Collection& collection);

    const Collection& collection() const { return *m_collection; }
    QString path() const;

    // The 0-based positions whose code has `key` (DeskCard::key), rebuilt
    // first when the archive changed. False when the archive cannot be
    // read; a missing archive holds no code.
    bool lookup(const QByteArray& key, QList<qint64>& positions);
    // Builds it again at the next lookup.
    void invalidate() { m_built = false; }
    // After a write of this program that kept every code as it was: the
    // index stays good if it was good before the write.
    void keep(bool wasCurrent);
    // Whether the archive is as the index saw it.
    bool current() const;

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime changed;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stamp() const;
    bool build();

    const Collection* m_collection;
    QHash<QByteArray, QList<qint64>> m_positions;
    Stamp m_stamp;
    bool m_built = false;
};
