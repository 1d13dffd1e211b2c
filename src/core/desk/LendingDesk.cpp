#include "LendingDesk.h"

#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/storage/Cp1252.h"
#include "core/storage/RecordStore.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"

#include <QDir>

LendingDesk::LendingDesk(bool keepIndexes)
    : m_keepIndexes(keepIndexes)
{
    for (const Collection* c : Collection::all()) {
        if (LoanList::keepsLoans(*c))
            m_indexes.emplace_back(*c);
    }
}

bool LendingDesk::fail(const QString& reason)
{
    m_error = reason;
    m_refused = m_changed;
    return false;
}

bool LendingDesk::refuse(const QString& reason)
{
    m_error = reason;
    m_refused = true;
    return false;
}

CodeIndex* LendingDesk::indexFor(const Collection& collection)
{
    for (CodeIndex& index : m_indexes) {
        if (&index.collection() == &collection)
            return &index;
    }
    return nullptr;
}

bool LendingDesk::find(const QString& code, std::vector<DeskCard>& cards)
{
    cards.clear();
    m_error.clear();
    m_changed = false;
    m_refused = false;
    const QByteArray key = DeskCard::key(code);
    if (key.isEmpty())
        return true;
    for (CodeIndex& index : m_indexes) {
        // A hit read back must still hold the code: a change inside the
        // time stamp's grain is caught here, and the index built again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            QList<qint64> positions;
            if (!index.lookup(key, positions))
                return fail(QStringLiteral("impossibile leggere %1").arg(QDir::toNativeSeparators(index.path())));
            std::vector<DeskCard> found;
            RecordStore store;
            bool stale = false;
            if (!positions.isEmpty()) {
                const Collection& c = index.collection();
                if (!store.open(index.path(), c.layout->size, RecordStore::Mode::ReadExisting))
                    return fail(store.errorString());
                QByteArray bytes;
                for (qint64 p : std::as_const(positions)) {
                    if (!store.seek(p) || !store.read(bytes)) {
                        stale = true;
                        break;
                    }
                    DeskCard card = DeskCard::read(c, p, bytes);
                    if (DeskCard::key(card.code) != key) {
                        stale = true;
                        break;
                    }
                    found.push_back(std::move(card));
                }
            }
            if (!stale) {
                cards.insert(cards.end(), found.begin(), found.end());
                break;
            }
            index.invalidate();
        }
    }
    return true;
}

QString LendingDesk::refusal(const DeskCard& card)
{
    if (card.cancelled)
        return card.flag.isEmpty() ? QStringLiteral("la scheda è annullata")
                                   : QStringLiteral("la scheda è annullata (Annullata: %1)").arg(card.flag);
    if (card.onLoan())
        return card.borrower.isEmpty() ? QStringLiteral("la scheda risulta già in prestito")
                                       : QStringLiteral("la scheda risulta già in prestito a %1").arg(card.borrower);
    return {};
}

QString LendingDesk::readerRefusal(const QString& reader, const Collection* collection)
{
    // Looked for before any trimming, which would take a control
    // character at either end away and keep what follows it.
    for (const QChar ch : reader) {
        const QChar::Category cat = ch.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            return QStringLiteral("il nome del lettore contiene un carattere di controllo (U+%1)")
                .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    const QString name = Text::trimmed(reader);
    if (name.isEmpty())
        return QStringLiteral("manca il nome del lettore");
    bool exact = true;
    const qsizetype bytes = Cp1252::encode(name, &exact).size();
    if (!exact)
        return QStringLiteral("il nome del lettore contiene caratteri che la scheda non può conservare");
    // The shortest borrower field when no card is chosen yet (a reader
    // held for the items still to come).
    int room = -1;
    for (const Collection* c : Collection::all()) {
        if (collection ? c != collection : !LoanList::keepsLoans(*c))
            continue;
        if (const FieldDef* f = DeskCard::field(*c, DeskCard::Role::Borrower))
            room = room < 0 ? f->capacity : std::min(room, f->capacity);
    }
    if (room >= 0 && bytes > room)
        return QStringLiteral("il nome del lettore è lungo %1 caratteri, la scheda ne conserva al più %2").arg(bytes).arg(room);
    return {};
}

QString LendingDesk::loanDate(const Collection& collection, const QDate& today, int days)
{
    return Clock::shortDate(collection.loans && collection.loans->dateIsDue ? today.addDays(days) : today);
}

bool LendingDesk::write(const Collection& collection, qint64 index, const QByteArray& expected, const QByteArray& bytes)
{
    m_changed = false;
    m_refused = false;
    CodeIndex* codes = indexFor(collection);
    // A desk that stays open keeps an index through its own writes; the
    // compact copy stops describing the archive at the first one.
    if (codes && m_keepIndexes)
        codes->prepare();
    RecordStore store;
    if (!codes || !store.open(codes->path(), collection.layout->size, RecordStore::Mode::ReadWrite))
        return fail(store.errorString());
    // The desk's writes keep every code: the index follows them under the
    // lock, and is made again when anyone else wrote before.
    store.setUnderLock([codes](int handle, bool written) { codes->underLock(handle, written); });
    // A card no longer there (the archive cut shorter) changed too.
    const bool there = store.seek(index) && index < store.count();
    const bool ok = there && store.replace(expected, bytes);
    m_changed = !there || store.changedMeanwhile();
    if (!ok)
        return fail(there ? store.errorString() : RecordStore::kChanged);
    return true;
}

bool LendingDesk::lend(const DeskCard& card, const QString& reader, const QDate& today, int days)
{
    m_changed = false;
    const QString refused = refusal(card);
    if (!refused.isEmpty())
        return refuse(refused);
    const QString name = Text::trimmed(reader);
    const Collection& c = *card.collection;
    if (const QString why = readerRefusal(reader, &c); !why.isEmpty())
        return refuse(why);
    const QByteArray after = DeskCard::withLoan(c, card.bytes, name, loanDate(c, today, days));
    if (!write(c, card.index, card.bytes, after))
        return false;
    m_moves.push_back({Clock::now(), DeskMove::Kind::Lend, &c, card.index, card.code, card.title, name, card.bytes, after});
    return true;
}

bool LendingDesk::giveBack(const DeskCard& card)
{
    m_changed = false;
    if (!card.onLoan())
        return refuse(QStringLiteral("la scheda non risulta in prestito"));
    const Collection& c = *card.collection;
    const QByteArray after = DeskCard::withLoan(c, card.bytes, {}, {});
    if (!write(c, card.index, card.bytes, after))
        return false;
    m_moves.push_back({Clock::now(), DeskMove::Kind::Return, &c, card.index, card.code, card.title, card.borrower, card.bytes, after});
    return true;
}

bool LendingDesk::undoLast()
{
    m_changed = false;
    if (m_moves.empty())
        return refuse(QStringLiteral("non c'è nessun movimento da annullare"));
    const DeskMove& last = m_moves.back();
    if (!write(*last.collection, last.index, last.after, last.before)) {
        if (m_changed)
            m_error = QStringLiteral("la scheda è stata modificata dopo il movimento: il movimento non può essere annullato");
        return false;
    }
    m_moves.pop_back();
    return true;
}
