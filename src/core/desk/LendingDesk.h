#pragma once

#include "core/desk/CodeIndex.h"
#include "core/desk/DeskCard.h"
#include "core/desk/DeskMove.h"

#include <QDate>
#include <QString>

#include <vector>

// Lending and returning by code, over the archives of every collection
// that lends its items. A card is found by its code as the searches compare
// codes; a lend writes the borrower and the date (a book: the day it is
// lent; a DVD: the day it is due back), a return empties both, each byte
// for byte as the card screen's Save writes the same change, through the
// record store, only when the card is still as it was read. The moves made
// are kept, the last one can be undone.
class LendingDesk {
public:
    // `keepIndexes` false: one move and done (the command line), so no code
    // index is made only to be kept through the write.
    explicit LendingDesk(bool keepIndexes = true);

    // Every card whose code is `code`, in menu then archive order. False,
    // with errorString(), when an archive cannot be read.
    bool find(const QString& code, std::vector<DeskCard>& cards);

    // Why a card cannot be lent now ("annullata", "già in prestito a ..."),
    // empty when it can.
    static QString refusal(const DeskCard& card);
    // Why `reader` cannot be written as a borrower (missing, a control
    // character, a character or a length the card's field cannot hold),
    // empty when it can; without a collection, for any that lends.
    static QString readerRefusal(const QString& reader, const Collection* collection = nullptr);
    // The date a lend made `today` writes, in the card's own form.
    static QString loanDate(const Collection& collection, const QDate& today, int days);

    // False, with errorString(), when the card cannot be lent or returned,
    // changed since it was read (changedMeanwhile()), or the write failed;
    // the archive then holds what it held.
    bool lend(const DeskCard& card, const QString& reader, const QDate& today, int days);
    bool giveBack(const DeskCard& card);
    // Puts the last move's card back to its bytes before the move and
    // forgets the move; refused when the card changed since.
    bool undoLast();

    const std::vector<DeskMove>& moves() const { return m_moves; }
    QString errorString() const { return m_error; }
    bool changedMeanwhile() const { return m_changed; }
    // The last failure was the desk's rule (a cancelled card, one not on
    // loan, no reader, a card changed meanwhile), not a file that failed.
    bool refused() const { return m_refused; }

private:
    CodeIndex* indexFor(const Collection& collection);
    bool write(const Collection& collection, qint64 index, const QByteArray& expected, const QByteArray& bytes);
    bool fail(const QString& reason);
    bool refuse(const QString& reason);

    std::vector<CodeIndex> m_indexes;
    std::vector<DeskMove> m_moves;
    QString m_error;
    bool m_changed = false;
    bool m_refused = false;
    bool m_keepIndexes = true;
};
