#include "ImportSummary.h"

#include "core/text/Text.h"

namespace ImportSummary {

namespace {

const QString kUnchanged = QStringLiteral("l'archivio è rimasto com'era.");

QString refused(const CardImport& cards, const Voice& voice)
{
    const qsizetype duplicates = cards.duplicates().size();
    if (cards.problems().isEmpty() && duplicates > 0)
        return QStringLiteral("Nessuna scheda importata: %1 (%2 %3 importa comunque); ")
                   .arg(Text::counted(int(duplicates), u"codice già presente o ripetuto", u"codici già presenti o ripetuti"),
                       voice.allowDuplicates, duplicates == 1 ? QStringLiteral("lo") : QStringLiteral("li"))
            + kUnchanged;
    return QStringLiteral("Nessuna scheda importata: %1; ").arg(Text::counted(int(cards.report().size()), u"problema", u"problemi"))
        + kUnchanged;
}

QString checked(const CardImport& cards, const Voice& voice)
{
    QString text = Text::counted(cards.count(), u"scheda pronta", u"schede pronte")
        + QStringLiteral(" da importare in %1 (file letto come %2): ").arg(voice.archive, cards.readAs());
    // Lines listed (a repeated code let through, a value a spreadsheet
    // changed) are no problem that stops the import, but they are not
    // "nothing" either.
    const qsizetype listed = cards.report().size() + cards.warningReport().size();
    if (listed == 0)
        text += QStringLiteral("nessun problema trovato");
    else
        text += QStringLiteral("nessun problema che fermi l'importazione, %1 da vedere")
                    .arg(Text::counted(int(listed), u"riga segnalata", u"righe segnalate"));
    if (cards.paddedDewey() > 0)
        text += QStringLiteral("; %1 con gli zeri iniziali")
                    .arg(Text::counted(cards.paddedDewey(), u"codice Dewey completato", u"codici Dewey completati"));
    text += QStringLiteral("; nessuna scheda scritta");
    if (!voice.checkOnly.isEmpty())
        text += QLatin1Char(' ') + voice.checkOnly;
    return text + QLatin1Char('.');
}

} // namespace

QString sentence(const CardImport& cards, const CardImport::Outcome& outcome, bool checkOnly, const Voice& voice)
{
    using Status = CardImport::Outcome::Status;
    switch (outcome.status) {
    case Status::Cancelled:
        return checkOnly ? QStringLiteral("Controllo interrotto: nessuna scheda scritta, ") + kUnchanged
                         : QStringLiteral("Importazione interrotta: nessuna scheda aggiunta, ") + kUnchanged;
    case Status::Refused:
        return refused(cards, voice);
    case Status::Failed:
        if (outcome.openFailed)
            return QStringLiteral("Impossibile aprire %1 in scrittura: %2.").arg(voice.archive, outcome.reason);
        return QStringLiteral("Scrittura delle schede in %1 non riuscita: %2%3")
            .arg(voice.archive, outcome.reason, outcome.nothingAdded ? QStringLiteral("; nessuna scheda aggiunta.") : QStringLiteral("."));
    case Status::Imported:
        break;
    }
    if (checkOnly)
        return checked(cards, voice);
    if (cards.count() == 0)
        return QStringLiteral("0 schede importate: il file non contiene schede.");
    // The positions are the ones the import wrote, read under the archive's
    // lock.
    const qint64 last = outcome.archiveCards;
    const qint64 first = outcome.firstWritten > 0 ? outcome.firstWritten : last - cards.count() + 1;
    if (cards.count() == 1)
        return QStringLiteral("1 scheda importata in %1, nella posizione %2.").arg(voice.archive).arg(last);
    return QStringLiteral("%1 schede importate in %2, nelle posizioni da %3 a %4.")
        .arg(cards.count())
        .arg(voice.archive)
        .arg(first)
        .arg(last);
}

QStringList lines(const CardImport& cards)
{
    return cards.report() + cards.warningReport() + cards.notes();
}

} // namespace ImportSummary
