#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

struct Collection;

// A stocktake of one shelf (or of a whole collection): the codes scanned
// are checked against the cards as they come, and at the end give the
// shelf's cards not scanned (those on loan marked, so that the missing ones
// stand out), the codes of cards of other shelves and the codes of no card.
// Codes and shelves compare as the searches compare them. The work in
// progress is kept in the program folder (fileName()), one code a line, so
// that it can be resumed on another day; the safety copies include it.
class Stocktake {
public:
    enum class Verdict {
        Counted,    // a card of the shelf, first time
        Twice,      // every card of the shelf with this code is counted already
        OtherShelf, // a card of another shelf
        Cancelled,  // a cancelled card
        NoCard,     // no card holds the code
    };

    struct Card {
        QString code, title, shelf, borrower;
        qint64 index = 0;
        bool onLoan = false;
        bool cancelled = false;
        bool seen = false;
    };

    // One scan as the screen lists it.
    struct Scan {
        QString code;
        Verdict verdict;
        const Card* card; // nullptr for NoCard
    };

    static QString fileName(); // "Inventario.txt"

    // Reads the collection's cards and starts an empty count of `shelf`
    // (blank: every shelf). False, with errorString(), when the archive
    // cannot be read.
    bool begin(const Collection& collection, const QString& shelf);
    const Collection* collection() const { return m_collection; }
    const QString& shelf() const { return m_shelf; }

    Scan scan(const QString& code);
    const std::vector<Scan>& scans() const { return m_scans; }
    int expected() const; // the shelf's cards, cancelled ones left out
    int counted() const;

    // The shelf's cards not scanned, in archive order.
    std::vector<const Card*> missing() const;
    // The report: a table of what is missing, on loan, of other shelves,
    // of no card and scanned twice, one line per row (tab-separated:
    // what, code, title, shelf or reader).
    QStringList report() const;
    // The same grouped under headings, for printing.
    QString title() const;

    // The file in the program folder: written anew by save(), one line
    // added by record(); load() starts the stocktake it holds again (and
    // writes the file anew, an unfinished last line left out).
    bool save() const;
    bool record(const QString& code) const;
    static bool pending();
    // What the stocktake in the file counts, without reading the archive:
    // "Libri, scaffale A1, 12 codici letti"; empty when there is none or
    // the file is not one.
    static QString pendingWhat();
    bool load();
    static bool discard();

    QString errorString() const { return m_error; }
    static QString verdictText(Verdict verdict);

private:
    const Collection* m_collection = nullptr;
    QString m_shelf;
    std::vector<Card> m_cards;
    QHash<QByteArray, std::vector<int>> m_byCode;
    std::vector<Scan> m_scans;
    QString m_error;

    bool onShelf(const Card& card) const;
};
