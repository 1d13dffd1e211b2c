#pragma once

#include "CoreSupport.h"

#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/storage/RecordLayout.h"

#include <QDate>
#include <QFile>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QTest>

#include <cstring>

// Small hand-written archives for the statistics tests.
namespace StatsFixtures {

// One card: the archive it goes to and its fields as stored bytes (so a
// slot can hold blanks that the card screens would have trimmed).
struct Card {
    QString archive;
    QList<QPair<QByteArray, QByteArray>> fields;
};
using Cards = QList<Card>;

inline const QDate kToday(2026, 6, 10);
constexpr int kDays = 30;

// Writes the stored bytes of a slot as another program might have left them.
inline void setRaw(Record& record, const Collection& c, const QByteArray& field, const QByteArray& bytes)
{
    const FieldDef* f = c.layout->find(std::string_view(field.constData(), static_cast<std::size_t>(field.size())));
    QVERIFY2(f, field.constData());
    QVERIFY(bytes.size() <= f->capacity);
    char* at = record.bytes().data() + f->offset;
    if (c.layout->kind == SlotKind::LengthByte) {
        at[0] = static_cast<char>(bytes.size());
        memcpy(at + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    } else {
        memcpy(at, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        at[bytes.size()] = 0;
    }
}

// The cards written into their archives of `folder`, a card at a time.
inline void writeCards(const TestFolder& folder, const Collection& c, const Cards& cards)
{
    for (const Card& card : cards) {
        Record record(*c.layout);
        record.bytes().fill(0);
        if (c.hasCancelledFlag())
            setRaw(record, c, "Annullata", "No");
        for (const auto& [field, bytes] : card.fields)
            setRaw(record, c, field, bytes);
        QFile file(folder.file(card.archive));
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(record.bytes()), qint64(record.bytes().size()));
    }
}

inline Card book(QList<QPair<QByteArray, QByteArray>> fields)
{
    return {QStringLiteral("Libri.pro"), std::move(fields)};
}

inline Card dvd(QList<QPair<QByteArray, QByteArray>> fields)
{
    return {QStringLiteral("DVD.pro"), std::move(fields)};
}

} // namespace StatsFixtures

Q_DECLARE_METATYPE(StatsFixtures::Cards)
