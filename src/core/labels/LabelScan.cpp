#include "LabelScan.h"

#include "core/labels/Code128.h"
#include "core/text/Text.h"

#include <algorithm>
#include <cmath>

namespace {

// Millimetres the Italian way: "0,12".
QString millimetres(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

// The first character of `code` that Code 128 carries only as an extended
// character, or that it cannot carry at all; null when every one is ASCII.
QChar firstBeyondAscii(const QString& code)
{
    for (const QChar ch : code) {
        if (ch.unicode() > 0x7F)
            return ch;
    }
    return {};
}

} // namespace

namespace LabelScan {

double insetMm(double width, double height)
{
    return std::min(kInsetMm, std::min(width, height) / 8);
}

double moduleMm(int modules, double barsWidth)
{
    return std::min(kWidestModuleMm, barsWidth / (modules + 2 * kQuietModules));
}

QString Problem::line() const
{
    return QStringLiteral("posizione %1, codice \"%2\": %3; %4.").arg(QString::number(position), code, reason, help);
}

QList<Problem> check(const QList<LabelCard>& cards, const LabelSheet& sheet)
{
    QList<Problem> problems;
    const double barsWidth = sheet.width - 2 * insetMm(sheet.width, sheet.height);
    for (const LabelCard& card : cards) {
        Problem p;
        p.position = card.position;
        p.code = card.code;
        const Code128 symbol = Code128::encode(card.code);
        const QChar beyond = firstBeyondAscii(card.code);
        if (card.code.isEmpty()) {
            p.reason = QStringLiteral("la scheda non ha codice, l'etichetta non avrà barre");
            p.help = QStringLiteral("scrivere il codice sulla scheda");
        } else if (!symbol.valid()) {
            p.reason = QStringLiteral("Code 128 non può scrivere \"%1\", l'etichetta non avrà barre").arg(beyond);
            p.help = QStringLiteral("serve un codice senza quel carattere");
        } else if (!beyond.isNull()) {
            p.reason = QStringLiteral("molti lettori leggono \"%1\" come un'altra lettera").arg(beyond);
            p.help = QStringLiteral("serve un codice senza lettere accentate");
        } else if (const double module = moduleMm(symbol.modules, barsWidth); module < kNarrowestModuleMm) {
            // The label width at which the narrowest bar reaches what a
            // scanner reads, rounded up to the millimetre.
            const double needed = std::ceil((symbol.modules + 2 * kQuietModules) * kNarrowestModuleMm + 2 * kInsetMm);
            p.reason = QStringLiteral("barre larghe %1 mm, meno dei %2 mm che un lettore comune legge")
                           .arg(millimetres(module, 2), millimetres(kNarrowestModuleMm, 2));
            p.help = QStringLiteral("serve un codice più corto o un'etichetta larga almeno %1 mm").arg(millimetres(needed, 0));
        } else {
            continue;
        }
        problems.append(p);
    }
    return problems;
}

QString heading(qsizetype problems)
{
    return Text::counted(problems, u"etichetta", u"etichette")
        + (problems == 1 ? QStringLiteral(" non potrà essere letta") : QStringLiteral(" non potranno essere lette"))
        + QStringLiteral(" da un lettore di codici a barre:");
}

} // namespace LabelScan
