#pragma once

#include <QList>
#include <QString>

#include <string_view>

struct Collection;

// The fields that a collection's labels and code hints read. A collection
// without a row here has no labels.
struct LabelFields {
    std::string_view collection; // Collection::key
    std::string_view caption;    // UTF-8, as the labels screen lists it
    std::string_view code;       // the inventory code
    std::string_view title;
    std::string_view person;     // the surname on the spine: author, director
    std::string_view dewey;      // empty: the collection has no Dewey code
    std::string_view shelf;
    std::string_view isbn;       // empty: the collection has no ISBN

    static const LabelFields* of(const Collection& collection);
    static bool has(const Collection& collection) { return of(collection) != nullptr; }
    // "libri e DVD": the collections that have labels, in menu order.
    static QString collections();
};

// One card as its labels need it.
struct LabelCard {
    qint64 position = 0; // 1-based
    QString code;
    QString title;
    QString person;
    QString dewey;
    QString shelf;

    // The spine's middle line: the first three letters of the surname in
    // capitals ("Eco, Umberto" and "Umberto Eco" give "ECO").
    QString surnameLetters() const;
};

// Which cards get a label.
struct LabelChoice {
    enum class Range { All, Positions, Codes, Shelf, Since };
    Range range = Range::All;
    qint64 fromPosition = 0; // Positions: both ends included
    qint64 toPosition = 0;
    QString fromCode;        // Codes: both ends included, A-Z case ignored
    QString toCode;
    QString shelf;           // Shelf: the whole shelf, A-Z case ignored
    qint64 sincePosition = 0; // Since: this position and every later one
    bool withCancelled = false;
};

namespace LabelCards {

// What the labels screen and the command line say when the choice holds no card.
inline const QString kNothingChosen = QStringLiteral("Nessuna scheda corrisponde alla scelta.");

// The chosen cards of the archive at `path`, in archive order. False when
// the archive cannot be read (a missing one is not created).
bool select(const Collection& collection, const QString& path, const LabelChoice& choice, QList<LabelCard>& cards);

// Whether `code` lies in [from, to] as the searches compare text: trimmed,
// A-Z folded, then character by character. An empty end leaves that side open.
bool codeInRange(const QString& code, const QString& from, const QString& to);

} // namespace LabelCards
