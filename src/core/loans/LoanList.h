#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

struct Collection;

// What a loan's line says after its date, besides the lateness of a marked one.
enum class LoanNote {
    None,
    Late,       // marked "!": lent too long ago, or past its due date
    Unreadable, // a date that cannot be read: never marked
    NoDate,     // a book with a borrower and no date: never marked
    NoDueDate,  // a DVD with a borrower and no due date: the searches find it available
};

// One book or DVD card on loan, as its card holds it.
struct Loan {
    const Collection* collection = nullptr;
    qint64 index = 0; // 0-based position in its archive
    QString code;
    QString title;
    QString borrower;
    QString date;    // as typed on the card
    QDate when;      // the date read as dd/mm/yyyy; invalid when it cannot be read
    qint64 late = 0; // days lent (books) or days past due (DVDs) when marked
    bool marked = false;
    LoanNote note = LoanNote::None;
};

// The cards of every collection that has a loan rule (books and DVDs) that
// are on loan: not cancelled, with a borrower or a date. Oldest first; a
// date that cannot be read goes last. A book's date is the day it was lent,
// so a book lent more than `days` days ago is marked; a DVD's date is the
// day it is due back, so a DVD past it is marked.
class LoanList {
public:
    // Reads the archives of the program folder; a missing archive has no
    // loans and is not created. False, with failedArchive() naming the
    // archive, when one cannot be read.
    bool load();
    const QString& failedArchive() const { return m_failed; }

    // Adds the loans of one archive (used by load(), and by tests on any file).
    bool add(const Collection& collection, const QString& archivePath);

    // Marks against `today`, then sorts. Call again when either changes.
    void arrange(const QDate& today, int days);

    const std::vector<Loan>& loans() const { return m_loans; }
    // One line per loan, in list order, for the screen, its print and the
    // command line. Columns are as wide as their longest value. Within
    // `width` characters (0: no limit), the title and the borrower share
    // what the other columns leave, so that the date and its note stay in
    // sight; when both do not fit, the title takes the room first: the
    // borrower is cut (with "…") down to kMinBorrower characters, and only
    // then the title, down to kMinTitle.
    QStringList lines(int width = 0) const;
    int markedCount() const;
    // "Il presente elenco contiene 3 schede in prestito, 1 segnalata.": the
    // total under the screen's list, on its print and on the command line.
    QString totalLine() const;

    // The words after the date; empty for LoanNote::None.
    static QString noteText(const Loan& loan);
    // The narrowest the title and borrower columns are ever cut to.
    static constexpr int kMinTitle = 16;
    static constexpr int kMinBorrower = 12;
    // "dd/mm/yyyy" with "/" or the regional separator (also "-" and "."),
    // one or two digits for day and month; invalid otherwise.
    static QDate readDate(const QString& text);
    // Whether the collection lends its cards (it has a loan rule).
    static bool keepsLoans(const Collection& collection);
    // "i libri e i DVD": the collections that keep loans, in menu order.
    static QString collections();
    // Which of its loans count as overdue after `days` days ("prestati da
    // più di 30 giorni"), for a collection that keeps loans.
    static QString overdueWords(const Collection& collection, const QString& days);
    // The list's rule for a card of a collection that keeps loans, once the
    // cancelled ones are left out: on loan when it holds a borrower or a
    // date (anything but blanks).
    static bool lent(const Collection& collection, const char* record);
    // Whether a loan dated `when` is marked on `today`: a book lent more
    // than `days` days before, a DVD past its due date; never an unreadable
    // date. Returns the days lent or past due, 0 when not marked.
    static qint64 late(const Collection& collection, const QDate& when, const QDate& today, int days);

private:
    struct Widths {
        int code = 0, title = 0, borrower = 0, note = 0;
    };
    static QString line(const Loan& loan, const Widths& widths);

    std::vector<Loan> m_loans;
    QString m_failed;
};
