#include "ValueWarnings.h"

#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"

#include <QDate>

#include <algorithm>

namespace {

bool threeDigits(const QString& code)
{
    return code.size() == 3 && std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "posizione 4 ("74"), posizione 9 ("0")", at most ten, then "...".
QString listed(const QList<QPair<qint64, QString>>& found)
{
    QStringList items;
    for (qsizetype i = 0; i < found.size() && i < 10; ++i)
        items << QStringLiteral("%1 (\"%2\")").arg(found[i].first).arg(found[i].second);
    if (found.size() > 10)
        items << QStringLiteral("...");
    return items.join(QStringLiteral(", "));
}

} // namespace

namespace ValueWarnings {

bool scan(const Collection& collection, const QString& path, Findings& findings)
{
    findings = Findings();
    if (const FieldDef* dewey = collection.roles.dewey.empty() ? nullptr : collection.layout->find(collection.roles.dewey)) {
        RecordStore store;
        if (!store.open(path, collection.layout->size, RecordStore::Mode::ReadExisting))
            return false;
        const SlotKind kind = collection.layout->kind;
        const bool read = store.scan([&](const char* record, qint64 index) {
            const QString code = Text::trimmed(TextSlot::read(record, *dewey, kind));
            if (!code.isEmpty() && !threeDigits(code))
                findings.badDewey.append({index + 1, code});
            return true;
        });
        if (!read)
            return false;
    }
    // The loans as the overview lists them: the same cards, the same reading of a date.
    if (LoanList::keepsLoans(collection)) {
        LoanList loans;
        if (!loans.add(collection, path))
            return false;
        loans.arrange(QDate::currentDate(), 30);
        for (const Loan& loan : loans.loans()) {
            if (loan.note == LoanNote::Unreadable)
                findings.unreadableDates.append({loan.index + 1, loan.date});
        }
        std::sort(findings.unreadableDates.begin(), findings.unreadableDates.end());
    }
    return true;
}

QStringList describe(const Findings& findings)
{
    QStringList lines;
    if (!findings.badDewey.isEmpty())
        lines << QStringLiteral("Avviso: %1 codici Dewey non hanno tre cifre (le statistiche contano questi libri \"senza classe\"; "
                                "un foglio di calcolo toglie gli zeri iniziali): posizioni %2")
                     .arg(findings.badDewey.size())
                     .arg(listed(findings.badDewey));
    if (!findings.unreadableDates.isEmpty())
        lines << QStringLiteral("Avviso: %1 date di prestito non si leggono come gg/mm/aaaa (i prestiti le segnano \"%2\"): posizioni %3")
                     .arg(findings.unreadableDates.size())
                     .arg(LoanList::noteText([] {
                         Loan loan;
                         loan.note = LoanNote::Unreadable;
                         return loan;
                     }()),
                         listed(findings.unreadableDates));
    return lines;
}

} // namespace ValueWarnings
