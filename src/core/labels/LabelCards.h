#pragma once

#include <QList>
#include <QString>

#include <string_view>

struct Collection;

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
    QString fromCode; // Codes: both ends included, A-Z case ignored
    QString toCode;
    QString shelf;            // Shelf: the whole shelf, A-Z case ignored
    qint64 sincePosition = 0; // Since: this position and every later one
    bool withCancelled = false;
};

namespace LabelCards {

// What the labels screen and the command line say when the choice holds no card.
inline const QString kNothingChosen = QStringLiteral("Nessuna scheda corrisponde alla scelta.");

// "libri e DVD": the collections whose cards get labels (those with a code
// role), in menu order.
QString collections();

// The chosen cards of the archive at `path`, in archive order. False when
// the archive cannot be read (a missing one is not created).
bool select(const Collection& collection, const QString& path, const LabelChoice& choice, QList<LabelCard>& cards);

// Whether `code` lies in [from, to] as the searches compare text: trimmed,
// A-Z folded, then character by character. An empty end leaves that side open.
bool codeInRange(const QString& code, const QString& from, const QString& to);

} // namespace LabelCards
