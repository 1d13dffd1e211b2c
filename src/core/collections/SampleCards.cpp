#include "SampleCards.h"

#include "core/collections/Collection.h"
#include "core/storage/Record.h"

#include <QStringList>

#include <array>
#include <utility>

namespace {

template <std::size_t N> using Words = std::array<const char*, N>;

constexpr Words<24> kFirstNames = {"Italo", "Natalia", "Cesare", "Elsa", "Alberto", "Grazia", "Umberto", "Dacia", "Primo", "Alda",
    "Leonardo", "Oriana", "Giorgio", "Lalla", "Beppe", "Niccolò", "Andrea", "Gianna", "Mario", "Luce", "Dino", "Anna Maria", "Giuseppe",
    "Matilde"};
constexpr Words<24> kSurnames = {"Calvino", "Ginzburg", "Pavese", "Morante", "Moravia", "Deledda", "Eco", "Maraini", "Levi", "Merini",
    "Sciascia", "Fallaci", "Bassani", "Romano", "Fenoglio", "Ammaniti", "Camilleri", "Manzini", "Rigoni Stern", "D'Eramo", "Buzzati",
    "Ortese", "Tomasi di Lampedusa", "Serao"};
constexpr Words<40> kTitles = {"Il giardino invisibile", "La città di pietra", "Lettere da un'isola lontana", "Il barone del fiume",
    "Una stagione a Trieste", "La memoria dell'acqua", "Notte sul lago", "Il sentiero dei nidi", "La casa sul porto",
    "Il silenzio delle piazze", "Cronache di un'estate breve", "Il caffè degli esuli", "La voce della luna", "Diario di una viaggiatrice",
    "L'ombra del campanile", "Ritorno a Castelvecchio", "Il libro delle maree", "La bottega dell'orologiaio", "Le sorelle del mulino",
    "Il treno delle sei", "Storia di un maestro di scuola", "La ragazza con il cappotto rosso", "I giorni della vendemmia",
    "L'ultimo inverno a Bologna", "Il segreto del frantoio", "La notte di San Lorenzo", "Il cartografo di Venezia",
    "Piccola grammatica dei sentimenti", "La collina degli ulivi", "Il cielo sopra Matera", "Le mani del liutaio", "Tre passi nel bosco",
    "Il ponte sul Tevere", "La biblioteca perduta", "Il quaderno di Agnese", "Viaggio in Sardegna", "L'estate dei girasoli",
    "Il pittore di Montmartre", "La scuola di Barbiana", "Il vento d'autunno"};
constexpr Words<15> kSubtitles = {"Romanzo", "Racconti", "Un'indagine del commissario Berti", "Memorie", "Seconda edizione riveduta",
    "Storia di una famiglia", "Lettere 1943-1945", "Poesie scelte", "Saggio", "Diario di viaggio", "Cronaca di un anno", "Volume primo",
    "Volume secondo", "Con illustrazioni", "Nuova edizione"};
constexpr Words<6> kLanguages = {"Italiano", "Inglese", "Francese", "Tedesco", "Spagnolo", "Russo"};
constexpr Words<8> kCountries = {"Italia", "Francia", "Regno Unito", "Stati Uniti", "Germania", "Spagna", "Giappone", "Russia"};
constexpr Words<6> kJudgements = {"Ottimo", "Buono", "Discreto", "Da rileggere", "Capolavoro", "Così così"};
constexpr Words<12> kSentences = {"La biblioteca comunale ha riaperto le sale di lettura dopo i lavori di restauro.",
    "Secondo gli esperti, la lettura ad alta voce migliora la comprensione dei testi nei più piccoli.",
    "Il festival ha registrato un'affluenza record, con più di trentamila presenze in quattro giornate.",
    "L'archivio storico custodisce documenti che risalgono al Cinquecento, ancora in gran parte da studiare.",
    "Gli editori indipendenti chiedono più attenzione per le librerie di quartiere.",
    "Il restauro del manoscritto è durato due anni e ha coinvolto specialisti di tre università.",
    "La mostra resterà aperta fino alla fine di marzo, con ingresso gratuito la prima domenica del mese.",
    "Il sindaco ha annunciato un piano per portare il prestito digitale in tutte le scuole.",
    "Tra i titoli più richiesti dell'anno figurano romanzi storici e saggi di divulgazione scientifica.",
    "La rassegna cinematografica dedica una serata ai grandi autori del neorealismo.",
    "Il premio letterario sarà consegnato in autunno nella sala del consiglio comunale.",
    "Molti lettori hanno scoperto le biblioteche grazie ai gruppi di lettura nati durante l'inverno."};

template <std::size_t N> QString word(const Words<N>& words, int i)
{
    return QString::fromUtf8(words[static_cast<std::size_t>(i) % N]);
}

} // namespace

QString SampleCards::title()
{
    QString t = word(kTitles, below(40));
    if (chance(40))
        t += QStringLiteral(". ") + word(kSubtitles, below(15));
    return t;
}

QString SampleCards::person()
{
    return word(kFirstNames, below(24)) + QLatin1Char(' ') + word(kSurnames, below(24));
}

QString SampleCards::date(int fromYear, int toYear)
{
    return QStringLiteral("%1/%2/%3")
        .arg(1 + below(28), 2, 10, QLatin1Char('0'))
        .arg(1 + below(12), 2, 10, QLatin1Char('0'))
        .arg(fromYear + below(toYear - fromYear + 1));
}

QString SampleCards::articleText()
{
    QStringList paragraphs;
    const int count = 1 + below(4);
    for (int p = 0; p < count; ++p) {
        QStringList sentences;
        const int n = 2 + below(4);
        for (int s = 0; s < n; ++s)
            sentences << word(kSentences, below(12));
        paragraphs << sentences.join(QLatin1Char(' '));
    }
    return paragraphs.join(QStringLiteral("\r\n"));
}

QString SampleCards::country()
{
    return word(kCountries, below(8));
}

QString SampleCards::judgement()
{
    return word(kJudgements, below(6));
}

QString SampleCards::language()
{
    return word(kLanguages, below(6));
}

QString SampleCards::sentence()
{
    return word(kSentences, below(12));
}

void SampleCards::fill(const Collection& collection, Record& record, int serial)
{
    record.clear();
    if (collection.sample)
        collection.sample(*this, record, serial);
}
