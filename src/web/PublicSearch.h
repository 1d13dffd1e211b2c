#pragma once

#include "core/search/SearchIndex.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct Collection;
struct FieldDef;

// The searches of the web catalogue over a program folder, read-only: the
// search screens' skip rule, lines and order, with the archive's compact
// copy naming the candidates while it describes the archive as it is (its
// trust rule), and a pass over every record otherwise. Unlike the search
// screens it never makes the copy: the catalogue's server writes nothing
// beside the archives. Results are kept for a repeated search while every
// archive it read is, by the same stamp as the copy's, the file it was.
class PublicSearch {
public:
    // One listed card: its archive, its 0-based place there and its line.
    struct Hit {
        QString archive;
        qint64 index = 0;
        QString line;
    };

    // What a search asks, beyond the skip rule.
    struct Wanted {
        // Candidates: every group must have one needle that the copy finds
        // in the card (an and of ors); no group: every card is read.
        std::vector<std::vector<SearchIndex::Needle>> groups;
        // The whole test of a listable card, on its stored bytes.
        std::function<bool(const char* record)> matches;
        // What tells this search from others for the kept results; empty:
        // not kept.
        QString key;
    };

    explicit PublicSearch(QString folder);

    QString folder() const { return m_folder; }

    // The archives of `collection` that exist in the folder: its one archive,
    // or its yearly ones (all, in year order, or that of `year` alone).
    QStringList archives(const Collection& collection, const QString& year = {}) const;

    // The listable cards of `archives` that `wanted` matches, sorted in list
    // order (archive by archive for equal lines). False with `error` set when
    // an archive cannot be read.
    bool run(const Collection& collection, const QStringList& archives, const Wanted& wanted, std::vector<Hit>& hits, QString& error);

    // The stored bytes of the card at `index` of `archive`; false when it is
    // missing or cannot be read.
    static bool readCard(const QString& archive, const Collection& collection, qint64 index, QByteArray& record);

    // The stored bytes of the cards at `indexes` of `archive`, in one
    // opening; a card that cannot be read is left empty.
    static std::vector<QByteArray> readCards(const QString& archive, const Collection& collection, const std::vector<qint64>& indexes);

    // `text` as the filters compare it: Windows-1252 with A-Z read as a-z;
    // false when it holds a character the code page lacks (it then matches
    // nothing).
    static bool folded(const QString& text, std::string& out);
    // Whether the slot `field` of `record` contains `folded`.
    static bool contains(const char* record, const FieldDef& field, const Collection& collection, std::string_view folded);

    // Whether the last run took its results from those kept.
    bool lastFromKept() const { return m_lastKept; }

private:
    bool runArchive(const Collection& collection, const QString& archive, const Wanted& wanted, std::vector<Hit>& hits,
        std::vector<std::string>& bytes, QString& error, std::vector<SearchIndex::Stamp>& stamps, bool& keepable);

    struct Kept {
        QString key;
        QStringList archives;
        std::vector<SearchIndex::Stamp> stamps;
        std::vector<Hit> hits;
    };
    QString m_folder;
    std::deque<Kept> m_kept;
    bool m_lastKept = false;
};
