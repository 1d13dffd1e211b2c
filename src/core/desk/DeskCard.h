#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

struct Collection;
struct FieldDef;

// One card of a collection that lends its items, as the lending desk and
// the stocktake see it: where it lies, its stored bytes, and the fields
// they show, read through the collection's description.
struct DeskCard {
    enum class Role { Code, Title, Author, Shelf, Borrower, Date };

    const Collection* collection = nullptr;
    qint64 index = 0; // 0-based position in its archive
    QByteArray bytes; // as stored
    QString code, title, author, shelf, borrower, date;
    bool cancelled = false; // by the searches' own rule
    QString flag;           // the cancelled flag as stored, for a cancelled card's state

    // On loan by the loans list's rule: a borrower or a date.
    bool onLoan() const { return !borrower.isEmpty() || !date.isEmpty(); }
    QString position() const { return QString::number(index + 1); }
    // "Libro" or "DVD": the loans list's name of its collection.
    QString kindName() const;
    // The card in one line, as the desk and the command line name it:
    // Libro cod. L-001 "Il barone rampante" (posizione 1)
    QString line() const;

    // Reads a stored card of `collection`.
    static DeskCard read(const Collection& collection, qint64 index, const QByteArray& bytes);

    // The field a role reads in this collection; nullptr when it has none
    // (the author role is the director for DVDs).
    static const FieldDef* field(const Collection& collection, Role role);

    // A code as the searches compare it: trimmed, A-Z folded, in the
    // archive's bytes; empty for a code with a character the code page lacks.
    static QByteArray key(const QString& code);
    static QByteArray key(std::string_view stored);

    // The bytes the card screen's Save writes for this card shown unchanged:
    // every slot holds its value as the screen shows it, unused bytes zero.
    static QByteArray asSaved(const Collection& collection, const QByteArray& stored);
    // The same with the two loan fields set (empty: emptied).
    static QByteArray withLoan(const Collection& collection, const QByteArray& stored, const QString& borrower, const QString& date);
};
