#pragma once

#include "FuzzSupport.h"
#include "core/collections/ArchiveCheck.h"
#include "core/collections/Collection.h"
#include "core/import/ImportNames.h"
#include "core/storage/Cp1252.h"
#include "core/text/Text.h"

#include <QByteArray>
#include <QString>

// What the import promises a cell reads back as on its card, written here
// from that promise rather than taken from the import's code; shared by
// the targets of the CSV and the .xlsx import.
namespace ImportPromise {

// `mended`: the file may have gone through a spreadsheet, so a Dewey class
// of one or two digits comes back padded to three.
inline QString expected(const Collection& c, const FieldDef& f, const QByteArray& cell, bool utf8, bool mended)
{
    QString value = utf8 ? QString::fromUtf8(cell) : Cp1252::decode(std::string_view(cell.constData(), std::size_t(cell.size())));
    const bool multiLine = ImportNames::multiLine(c, f.name);
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value[i];
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            if (ch == QLatin1Char('\r') && i + 1 < value.size() && value[i + 1] == QLatin1Char('\n'))
                ++i;
            out += multiLine ? QStringLiteral("\r\n") : QStringLiteral(" ");
        } else {
            out += ch;
        }
    }
    if (c.layout->kind == SlotKind::LengthByte)
        out = Text::trimmed(out);
    if ((f.name == "Annullata" || f.name == "Convalida") && Text::trimmed(out).isEmpty())
        out = QStringLiteral("No");
    const QString trimmed = Text::trimmed(out);
    if (mended && f.name == "Dewey" && !trimmed.isEmpty() && trimmed.size() <= 2
        && std::all_of(trimmed.begin(), trimmed.end(), [](QChar d) { return d >= u'0' && d <= u'9'; }))
        out = QString(3 - trimmed.size(), QLatin1Char('0')) + trimmed;
    return out;
}

// Every slot of the imported records well formed, required fields filled,
// flags valid, attachment names bare: the archive check finds nothing.
inline void archiveIsClean(const Collection& collection, const QByteArray& records, qint64 count)
{
    const QString path = FuzzSupport::writeFile(
        FuzzSupport::scratch(QStringLiteral("archivio")), records.constData(), std::size_t(records.size()));
    const ArchiveCheck::Report report = ArchiveCheck::run(collection, path);
    FUZZ_CHECK(report.readable);
    FUZZ_CHECK(report.cards == count);
    FUZZ_CHECK(report.clean());
}

} // namespace ImportPromise
