#include "LoanList.h"

#include "core/collections/Collection.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"
#include "core/text/Clock.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int kNameWidth = 5;
constexpr int kDateWidth = 10;

// Cut with an ellipsis, so that a cut value never passes for a whole one.
QString fitted(const QString& text, int width)
{
    if (text.size() > width)
        return QString(text.left(width - 1) + QChar(0x2026)).leftJustified(width, QLatin1Char(' '));
    return text.leftJustified(width, QLatin1Char(' '));
}

int length(const QString& text)
{
    return static_cast<int>(text.size());
}

QString daysText(qint64 n)
{
    return n == 1 ? QStringLiteral("1 giorno") : QStringLiteral("%1 giorni").arg(n);
}

} // namespace

bool LoanList::keepsLoans(const Collection& collection)
{
    return collection.loans && collection.available;
}

QString LoanList::collections()
{
    return Text::listed(Collection::plurals(&keepsLoans, true));
}

QString LoanList::overdueWords(const Collection& collection, const QString& days)
{
    return Text::utf8(collection.loans->overdue).replace(QStringLiteral("%1"), days);
}

bool LoanList::lent(const Collection& collection, const char* record)
{
    const SlotKind kind = collection.layout->kind;
    for (std::string_view name : {collection.roles.borrower, collection.roles.loanDate}) {
        const FieldDef* field = name.empty() ? nullptr : collection.layout->find(name);
        if (field && !Text::trimmed(TextSlot::raw(record, *field, kind)).empty())
            return true;
    }
    return false;
}

qint64 LoanList::late(const Collection& collection, const QDate& when, const QDate& today, int days)
{
    const LoanRule* rule = collection.loans;
    if (!rule || !when.isValid())
        return 0;
    const qint64 elapsed = when.daysTo(today);
    const bool marked = rule->dateIsDue ? elapsed > 0 : elapsed > days;
    return marked ? elapsed : 0;
}

bool LoanList::load()
{
    m_loans.clear();
    m_failed.clear();
    for (const Collection* c : Collection::all()) {
        if (!keepsLoans(*c))
            continue;
        const QString path = ProgramFolder::file(c->archiveName());
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            continue;
        if (!add(*c, path)) {
            m_failed = path;
            return false;
        }
    }
    return true;
}

bool LoanList::add(const Collection& collection, const QString& archivePath)
{
    if (!keepsLoans(collection))
        return false;
    const FieldRoles& roles = collection.roles;
    const FieldDef* code = collection.layout->find(roles.code);
    const FieldDef* title = collection.layout->find(roles.title);
    const FieldDef* borrower = collection.layout->find(roles.borrower);
    const FieldDef* date = collection.layout->find(roles.loanDate);
    if (!code || !title || !borrower || !date)
        return false;
    const SlotKind kind = collection.layout->kind;
    // The cancelled cards are left out by the rule the searches use.
    const Search rule(*collection.search);
    RecordStore store;
    if (!store.open(archivePath, collection.layout->size, RecordStore::Mode::ReadExisting))
        return false;
    std::vector<Loan> found;
    const bool ok = store.scan([&](const char* record, qint64 index) {
        if (!rule.listable(record) || !lent(collection, record))
            return true;
        Loan loan;
        loan.borrower = TextSlot::read(record, *borrower, kind);
        loan.date = TextSlot::read(record, *date, kind);
        loan.collection = &collection;
        loan.index = index;
        loan.code = TextSlot::read(record, *code, kind);
        loan.title = TextSlot::read(record, *title, kind);
        loan.when = readDate(loan.date);
        found.push_back(std::move(loan));
        return true;
    });
    store.close();
    if (!ok)
        return false;
    m_loans.insert(m_loans.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return true;
}

void LoanList::arrange(const QDate& today, int days)
{
    for (Loan& loan : m_loans) {
        loan.marked = false;
        loan.late = 0;
        loan.note = LoanNote::None;
        const bool dateIsDue = loan.collection->loans->dateIsDue;
        if (loan.date.isEmpty()) {
            // The searches of available DVDs look at the due date alone, so
            // such a DVD is offered for loan while someone holds it.
            loan.note = dateIsDue ? LoanNote::NoDueDate : LoanNote::NoDate;
            continue;
        }
        if (!loan.when.isValid()) {
            loan.note = LoanNote::Unreadable;
            continue;
        }
        loan.late = late(*loan.collection, loan.when, today, days);
        loan.marked = loan.late != 0;
        if (loan.marked)
            loan.note = LoanNote::Late;
    }
    // Equal dates keep the order of the collections and of their archives.
    std::stable_sort(m_loans.begin(), m_loans.end(), [](const Loan& a, const Loan& b) {
        if (a.when.isValid() != b.when.isValid())
            return a.when.isValid();
        return a.when.isValid() && a.when < b.when;
    });
}

QStringList LoanList::lines(int width) const
{
    Widths w;
    for (const Loan& loan : m_loans) {
        w.code = std::max(w.code, length(loan.code));
        w.title = std::max(w.title, length(loan.title));
        w.borrower = std::max(w.borrower, length(loan.borrower));
        w.note = std::max(w.note, length(noteText(loan)));
    }
    if (width > 0) {
        // Everything but the title and the borrower, separators included.
        const int fixed = 2 + kNameWidth + 2 + 5 + w.code + 2 + 2 + 2 + kDateWidth + (w.note > 0 ? 2 + w.note : 0);
        const int room = std::max(width - fixed, kMinTitle + kMinBorrower);
        if (w.title + w.borrower > room) {
            // The title tells one item from another: it keeps its length
            // while the borrower gives, down to kMinBorrower characters;
            // only then is the title cut, never below kMinTitle.
            w.borrower = std::min(w.borrower, std::max(kMinBorrower, room - w.title));
            w.title = std::max(std::min(w.title, kMinTitle), room - w.borrower);
        }
    }
    QStringList out;
    out.reserve(static_cast<qsizetype>(m_loans.size()));
    for (const Loan& loan : m_loans)
        out << line(loan, w);
    return out;
}

QString LoanList::totalLine() const
{
    return QStringLiteral("Il presente elenco contiene %1 in prestito, %2.")
        .arg(Text::counted(qint64(m_loans.size()), u"scheda", u"schede"), Text::counted(markedCount(), u"segnalata", u"segnalate"));
}

int LoanList::markedCount() const
{
    return static_cast<int>(std::count_if(m_loans.begin(), m_loans.end(), [](const Loan& l) { return l.marked; }));
}

QString LoanList::noteText(const Loan& loan)
{
    switch (loan.note) {
    case LoanNote::None:
        break;
    case LoanNote::Late:
        return (loan.collection->loans->dateIsDue ? QStringLiteral("scaduto da ") : QStringLiteral("prestato da ")) + daysText(loan.late);
    case LoanNote::Unreadable:
        return QStringLiteral("data non leggibile");
    case LoanNote::NoDate:
        return QStringLiteral("senza data");
    case LoanNote::NoDueDate:
        return QStringLiteral("senza scadenza: risulta disponibile");
    }
    return {};
}

QString LoanList::line(const Loan& loan, const Widths& widths)
{
    QString s = loan.marked ? QStringLiteral("! ") : QStringLiteral("  ");
    s += fitted(Text::utf8(loan.collection->loans->name), kNameWidth);
    s += QStringLiteral("  Cod. ") + fitted(loan.code, widths.code);
    s += QStringLiteral("  ") + fitted(loan.title, widths.title);
    s += QStringLiteral("  ") + fitted(loan.borrower, widths.borrower);
    s += QStringLiteral("  ") + fitted(loan.date, kDateWidth);
    if (loan.note != LoanNote::None)
        s += QStringLiteral("  ") + noteText(loan);
    // Mark text or not, a line never ends in blanks.
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

QDate LoanList::readDate(const QString& text)
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,2})([^0-9])([0-9]{1,2})([^0-9])([0-9]{4})")));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch() || m.captured(2) != m.captured(4))
        return {};
    const QChar sep = m.captured(2).at(0);
    if (sep != QLatin1Char('/') && sep != QLatin1Char('-') && sep != QLatin1Char('.') && sep != Clock::dateSeparator())
        return {};
    return QDate(m.captured(5).toInt(), m.captured(3).toInt(), m.captured(1).toInt());
}
