#include "SampleCards.h"

#include "core/collections/Collection.h"
#include "core/storage/Record.h"

#include <QStringList>

#include <array>
#include <utility>

namespace {

template <std::size_t N>
using Words = std::array<const char*, N>;

constexpr Words<24> kFirstNames = {"Italo", "Natalia", "Cesare", "Elsa", "Alberto", "Grazia", "Umberto", "Dacia",
    "Primo", "Alda", "Leonardo", "Oriana", "Giorgio", "Lalla", "Beppe", "Niccolò", "Andrea", "Gianna", "Mario",
    "Luce", "Dino", "Anna Maria", "Giuseppe", "Matilde"};
constexpr Words<24> kSurnames = {"Calvino", "Ginzburg", "Pavese", "Morante", "Moravia", "Deledda", "Eco", "Maraini",
    "Levi", "Merini", "Sciascia", "Fallaci", "Bassani", "Romano", "Fenoglio", "Ammaniti", "Camilleri", "Manzini",
    "Rigoni Stern", "D'Eramo", "Buzzati", "Ortese", "Tomasi di Lampedusa", "Serao"};
constexpr Words<40> kTitles = {"Il giardino invisibile", "La città di pietra", "Lettere da un'isola lontana",
    "Il barone del fiume", "Una stagione a Trieste", "La memoria dell'acqua", "Notte sul lago", "Il sentiero dei nidi",
    "La casa sul porto", "Il silenzio delle piazze", "Cronache di un'estate breve", "Il caffè degli esuli",
    "La voce della luna", "Diario di una viaggiatrice", "L'ombra del campanile", "Ritorno a Castelvecchio",
    "Il libro delle maree", "La bottega dell'orologiaio", "Le sorelle del mulino", "Il treno delle sei",
    "Storia di un maestro di scuola", "La ragazza con il cappotto rosso", "I giorni della vendemmia",
    "L'ultimo inverno a Bologna", "Il segreto del frantoio", "La notte di San Lorenzo", "Il cartografo di Venezia",
    "Piccola grammatica dei sentimenti", "La collina degli ulivi", "Il cielo sopra Matera", "Le mani del liutaio",
    "Tre passi nel bosco", "Il ponte sul Tevere", "La biblioteca perduta", "Il quaderno di Agnese",
    "Viaggio in Sardegna", "L'estate dei girasoli", "Il pittore di Montmartre", "La scuola di Barbiana",
    "Il vento d'autunno"};
constexpr Words<15> kSubtitles = {"Romanzo", "Racconti", "Un'indagine del commissario Berti", "Memorie",
    "Seconda edizione riveduta", "Storia di una famiglia", "Lettere 1943-1945", "Poesie scelte", "Saggio",
    "Diario di viaggio", "Cronaca di un anno", "Volume primo", "Volume secondo", "Con illustrazioni", "Nuova edizione"};
constexpr Words<12> kPublishers = {"Einaudi", "Mondadori", "Feltrinelli", "Adelphi", "Bompiani", "Sellerio",
    "Laterza", "Garzanti", "Rizzoli", "Il Mulino", "Neri Pozza", "Zanichelli"};
constexpr Words<12> kCities = {"Torino", "Milano", "Roma", "Palermo", "Bologna", "Firenze", "Napoli", "Bari",
    "Venezia", "Forlì", "Cagliari", "L'Aquila"};
constexpr Words<12> kGenres = {"Narrativa", "Romanzo storico", "Romanzo giallo", "Poesia", "Saggistica", "Storia",
    "Filosofia", "Biografia", "Fantascienza", "Arte", "Musica", "Teatro"};
constexpr Words<6> kLanguages = {"Italiano", "Inglese", "Francese", "Tedesco", "Spagnolo", "Russo"};
constexpr Words<8> kCountries = {"Italia", "Francia", "Regno Unito", "Stati Uniti", "Germania", "Spagna", "Giappone",
    "Russia"};
constexpr Words<6> kJudgements = {"Ottimo", "Buono", "Discreto", "Da rileggere", "Capolavoro", "Così così"};
constexpr Words<10> kDvdGenres = {"Commedia", "Drammatico", "Documentario", "Giallo", "Western", "Animazione",
    "Fantascienza", "Storico", "Musicale", "Thriller"};
constexpr Words<8> kNewspapers = {"Corriere della Sera", "la Repubblica", "La Stampa", "Il Sole 24 Ore",
    "Il Messaggero", "Avvenire", "Il Mattino", "La Nazione"};
constexpr Words<8> kSections = {"Cultura", "Cronaca", "Economia", "Esteri", "Politica", "Scienza", "Spettacoli",
    "Sport"};
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

template <std::size_t N>
QString word(const Words<N>& words, int i)
{
    return QString::fromUtf8(words[static_cast<std::size_t>(i) % N]);
}

// A sound ISBN-13 of an Italian publisher: 978-88, the publisher's four
// digits, the title's three and the check digit.
QString isbn13(int publisher, int title)
{
    const QString digits = QStringLiteral("97888%1%2").arg(publisher, 4, 10, QLatin1Char('0')).arg(title, 3, 10, QLatin1Char('0'));
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (i % 2 == 0 ? 1 : 3) * digits.at(i).digitValue();
    return QStringLiteral("978-88-%1-%2-%3").arg(digits.mid(5, 4), digits.mid(9, 3)).arg((10 - sum % 10) % 10);
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

void SampleCards::fill(const Collection& collection, Record& record, int serial)
{
    record.clear();
    if (collection.sample)
        collection.sample(*this, record, serial);
}

void SampleCards::fillBook(SampleCards& w, Record& r, int serial)
{
    r.setText("Titolo", w.title());
    r.setText("Codice", QStringLiteral("L%1").arg(serial, 6, 10, QLatin1Char('0')));
    r.setText("Convalida", QStringLiteral("No"));
    r.setText("Scaffale", QStringLiteral("%1-%2").arg(QChar(u'A' + w.below(8))).arg(1 + w.below(20)));
    r.setText("Autore", w.person());
    r.setText("Nazione", word(kCountries, w.below(8)));
    if (w.chance(15))
        r.setText("Curatore", w.person());
    r.setText("Dewey", QStringLiteral("%1").arg(100 * w.below(10) + w.below(100), 3, 10, QLatin1Char('0')));
    r.setText("Pagine", QString::number(80 + w.below(900)));
    r.setText("Genere", word(kGenres, w.below(12)));
    r.setText("Giudizio", word(kJudgements, w.below(6)));
    r.setText("Editore", word(kPublishers, w.below(12)));
    const int publisher = w.below(10000);
    r.setText("Isbn", isbn13(publisher, w.below(1000)));
    r.setText("Citta", word(kCities, w.below(12)));
    r.setText("Anno", QString::number(1950 + w.below(76)));
    r.setText("Volumi", QStringLiteral("1"));
    r.setText("Prezzo", QStringLiteral("%1,%2 €").arg(5 + w.below(40)).arg(w.below(100), 2, 10, QLatin1Char('0')));
    r.setText("Lingua", word(kLanguages, w.below(6)));
    if (w.chance(30)) {
        r.setText("Originale", w.title());
        r.setText("Traduttore", w.person());
    }
    if (w.chance(20)) {
        r.setText("Prestato", w.person());
        r.setText("Scadenza", w.date(2024, 2026));
    }
    if (w.chance(10))
        r.setText("Note", QStringLiteral("Copia con dedica dell'autore."));
    r.setText("Annullata", w.chance(5) ? QStringLiteral("S\u00ec") : QStringLiteral("No"));
}

void SampleCards::fillDvd(SampleCards& w, Record& r, int serial)
{
    r.setText("Titolo", w.title());
    r.setText("Codice", QStringLiteral("D%1").arg(serial, 6, 10, QLatin1Char('0')));
    r.setText("Convalida", QStringLiteral("No"));
    r.setText("Scaffale", QStringLiteral("V-%1").arg(1 + w.below(30)));
    r.setText("Regia", w.person());
    r.setText("Nazione", word(kCountries, w.below(8)));
    r.setText("Protagonista", w.person());
    r.setText("Anno", QString::number(1945 + w.below(81)));
    r.setText("Durata", QStringLiteral("%1 min").arg(70 + w.below(110)));
    r.setText("Genere", word(kDvdGenres, w.below(10)));
    r.setText("Giudizio", word(kJudgements, w.below(6)));
    r.setText("Cast", w.person() + QStringLiteral(", ") + w.person() + QStringLiteral(", ") + w.person());
    r.setText("Lingua", word(kLanguages, w.below(6)));
    r.setText("Sottotitoli", QStringLiteral("Italiano, Inglese"));
    if (w.chance(20)) {
        r.setText("Prestato", w.person());
        r.setText("Scadenza", w.date(2024, 2026));
    }
    r.setText("Annullata", w.chance(5) ? QStringLiteral("S\u00ec") : QStringLiteral("No"));
}

void SampleCards::fillArticle(SampleCards& w, Record& r, int serial)
{
    Q_UNUSED(serial);
    r.setText("Titolo", w.title());
    r.setText("DataPub", w.date(2020, 2026));
    r.setText("Genere", word(kSections, w.below(8)));
    r.setText("Autore", w.person());
    r.setText("Testata", word(kNewspapers, w.below(8)));
    r.setText("NumTestata", QString::number(1 + w.below(365)));
    r.setText("Testo", w.articleText());
    r.setText("Sintesi", word(kSentences, w.below(12)));
    r.setText("Valutazione", word(kJudgements, w.below(6)));
}
