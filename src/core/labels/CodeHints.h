#pragma once

#include <QList>
#include <QString>

struct Collection;

// Hints that keep inventory codes and ISBNs sound. They only advise: a
// card is saved whatever they say.
namespace CodeHints {

enum class Isbn {
    NotIsbn, // empty, or not made of digits, X, hyphens and blanks in ISBN's numbers
    Valid,
    WrongCheckDigit,
    WrongLength, // digits only, but neither 10 nor 13 of them: one dropped or added
};

// An ISBN-10 or ISBN-13 written with or without hyphens and blanks; a
// final "x" counts as "X".
Isbn checkIsbn(const QString& text);

// The info line's text when the ISBN field is left holding `text`; empty
// when there is nothing to say.
QString isbnHint(const QString& text);

// The positions (1-based, ascending) of the other cards of the archive at
// `path` whose code equals `code` (trimmed, A-Z case ignored); `own` is the
// card's own position (0 for none). Empty when the code is empty or the
// archive cannot be read.
QList<qint64> sameCode(const Collection& collection, const QString& path, const QString& code, qint64 own);

// The info line's text after a save whose code other cards share.
QString duplicateHint(const QString& code, const QList<qint64>& others);

// How many digits an ISBN written as `text` holds (hyphens and blanks aside).
int isbnDigits(const QString& text);

// For the archive check: every code held by more than one card, every card
// whose ISBN has a wrong check digit, and every one whose ISBN has neither
// 10 nor 13 digits.
struct Findings {
    QList<QPair<QString, QList<qint64>>> duplicates; // code, positions; in archive order
    QList<QPair<qint64, QString>> badIsbns;          // position, ISBN as written
    QList<QPair<qint64, QString>> oddIsbns;          // position, ISBN as written
};
bool scan(const Collection& collection, const QString& path, Findings& findings);
QStringList describe(const Findings& findings);

} // namespace CodeHints
