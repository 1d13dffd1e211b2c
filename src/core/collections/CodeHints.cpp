#include "CodeHints.h"

#include "core/collections/ArchiveCheck.h"
#include "core/collections/Collection.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <QHash>

namespace {

QString codeKey(const QString& code)
{
    return Text::foldAZ(Text::trimmed(code));
}

} // namespace

namespace CodeHints {

Isbn checkIsbn(const QString& text)
{
    QString digits;
    for (const QChar ch : text) {
        if (ch == QLatin1Char('-') || ch == QLatin1Char(' '))
            continue;
        if ((ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('X') || ch == QLatin1Char('x'))
            digits += ch.toUpper();
        else
            return Isbn::NotIsbn;
    }
    const qsizetype x = digits.indexOf(QLatin1Char('X'));
    if (digits.size() == 10 && (x < 0 || x == 9)) {
        int sum = 0;
        for (int i = 0; i < 10; ++i) {
            const int value = digits[i] == QLatin1Char('X') ? 10 : digits[i].digitValue();
            sum += (10 - i) * value;
        }
        return sum % 11 == 0 ? Isbn::Valid : Isbn::WrongCheckDigit;
    }
    if (digits.size() == 13 && x < 0) {
        int sum = 0;
        for (int i = 0; i < 13; ++i)
            sum += (i % 2 == 0 ? 1 : 3) * digits[i].digitValue();
        return sum % 10 == 0 ? Isbn::Valid : Isbn::WrongCheckDigit;
    }
    // Digits alone, as an ISBN is typed, but a digit too few or too many.
    if (!digits.isEmpty() && x < 0)
        return Isbn::WrongLength;
    return Isbn::NotIsbn;
}

int isbnDigits(const QString& text)
{
    int n = 0;
    for (const QChar ch : text)
        n += ch.isDigit() || ch == QLatin1Char('X') || ch == QLatin1Char('x') ? 1 : 0;
    return n;
}

QString isbnHint(const QString& text)
{
    switch (checkIsbn(text)) {
    case Isbn::WrongCheckDigit:
        return QStringLiteral("Attenzione: il codice ISBN %1 ha una cifra di controllo errata; controllare di averlo digitato bene.")
            .arg(Text::trimmed(text));
    case Isbn::WrongLength:
        return QStringLiteral(
            "Attenzione: %1 non sembra un codice ISBN: ha %2, mentre un ISBN ne ha 10 o 13; controllare di averlo digitato bene.")
            .arg(Text::trimmed(text), Text::counted(isbnDigits(text), u"cifra", u"cifre"));
    case Isbn::NotIsbn:
    case Isbn::Valid:
        break;
    }
    return {};
}

QList<qint64> sameCode(const Collection& collection, const QString& path, const QString& code, qint64 own)
{
    QList<qint64> others;
    const FieldRoles* fields = Collection::labelled(collection) ? &collection.roles : nullptr;
    const QString key = codeKey(code);
    if (!fields || key.isEmpty())
        return others;
    const RecordLayout& layout = *collection.layout;
    const FieldDef* f = layout.find(fields->code);
    RecordStore store;
    if (!f || !store.open(path, layout.size, RecordStore::Mode::ReadExisting))
        return others;
    const bool read = store.scan([&](const char* rec, qint64 index) {
        if (index + 1 != own && codeKey(TextSlot::read(rec, *f, layout.kind)) == key)
            others << index + 1;
        return true;
    });
    if (!read)
        others.clear();
    return others;
}

QString duplicateHint(const QString& code, const QList<qint64>& others)
{
    if (others.isEmpty())
        return {};
    if (others.size() == 1)
        return QStringLiteral("Attenzione: il codice %1 è già usato dalla scheda in posizione %2.")
            .arg(Text::trimmed(code))
            .arg(others.first());
    return QStringLiteral("Attenzione: il codice %1 è già usato dalle schede in posizione %2.")
        .arg(Text::trimmed(code), ArchiveCheck::positions(others));
}

bool scan(const Collection& collection, const QString& path, Findings& findings)
{
    findings = {};
    if (!Collection::labelled(collection))
        return true;
    const FieldRoles* fields = &collection.roles;
    const RecordLayout& layout = *collection.layout;
    const FieldDef* code = layout.find(fields->code);
    const FieldDef* isbn = fields->isbn.empty() ? nullptr : layout.find(fields->isbn);
    RecordStore store;
    if (!store.open(path, layout.size, RecordStore::Mode::ReadExisting))
        return false;
    QHash<QString, qsizetype> seen; // code key -> index into `groups`
    QList<QPair<QString, QList<qint64>>> groups;
    const bool read = store.scan([&](const char* rec, qint64 index) {
        if (code) {
            const QString text = Text::trimmed(TextSlot::read(rec, *code, layout.kind));
            const QString key = codeKey(text);
            if (!key.isEmpty()) {
                auto it = seen.constFind(key);
                if (it == seen.constEnd()) {
                    seen.insert(key, groups.size());
                    groups.append({text, {index + 1}});
                } else {
                    groups[*it].second << index + 1;
                }
            }
        }
        if (isbn) {
            const QString text = Text::trimmed(TextSlot::read(rec, *isbn, layout.kind));
            const Isbn state = checkIsbn(text);
            if (state == Isbn::WrongCheckDigit)
                findings.badIsbns.append({index + 1, text});
            else if (state == Isbn::WrongLength)
                findings.oddIsbns.append({index + 1, text});
        }
        return true;
    });
    for (const auto& group : groups) {
        if (group.second.size() > 1)
            findings.duplicates.append(group);
    }
    return read;
}

QStringList describe(const Findings& findings)
{
    QStringList lines;
    for (const auto& [code, where] : findings.duplicates)
        lines << QStringLiteral("Avviso: il codice %1 è usato da %2 schede (posizioni %3)")
                     .arg(code)
                     .arg(where.size())
                     .arg(ArchiveCheck::positions(where));
    for (const auto& [position, isbn] : findings.badIsbns)
        lines << QStringLiteral("Avviso: ISBN con cifra di controllo errata nella scheda in posizione %1: %2").arg(position).arg(isbn);
    for (const auto& [position, isbn] : findings.oddIsbns)
        lines << QStringLiteral("Avviso: ISBN di %1 (un ISBN ne ha 10 o 13) nella scheda in posizione %2: %3")
                     .arg(Text::counted(isbnDigits(isbn), u"cifra", u"cifre"))
                     .arg(position)
                     .arg(isbn);
    return lines;
}

} // namespace CodeHints
