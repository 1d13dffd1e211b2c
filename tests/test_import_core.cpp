// What an import comes to, in the words the "Importa ed esporta" screen
// and the command line share, tested without either: every outcome of
// CardImport::run over a small file and a small archive.
#include "CoreSupport.h"

#include "core/collections/Books.h"
#include "core/import/CardImport.h"
#include "core/import/ImportSummary.h"

#include <QBuffer>
#include <QDir>
#include <QTest>

#include <atomic>

namespace {

QByteArray book(const QString& code)
{
    return card(TSchedaLibro,
        {{"Titolo", QStringLiteral("Uno")}, {"Codice", code}, {"Autore", QStringLiteral("A")}, {"Annullata", QStringLiteral("No")}});
}

} // namespace

class ImportCoreTest : public QObject {
    Q_OBJECT
private slots:
    void sentenceSaysTheOutcome_data();
    void sentenceSaysTheOutcome();
    void failedOpenNamesTheArchive();
};

// clang-format off
void ImportCoreTest::sentenceSaysTheOutcome_data()
{
    QTest::addColumn<int>("archiveCards");      // books already there, coded C1, C2, ...
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("checkOnly");
    QTest::addColumn<bool>("allowDuplicates");
    QTest::addColumn<bool>("cancelled");        // the cancel flag raised before the run
    QTest::addColumn<QString>("sentence");      // %1: the archive
    QTest::addColumn<int>("listed");            // lines() that are findings of rows
    const QByteArray two = "Titolo;Codice;Autore\nT;C5;A\nT;C6;A\n";
    QTest::newRow("several imported, after the others") << 2 << two << false << false << false
        << "2 schede importate in %1, nelle posizioni da 3 a 4." << 0;
    QTest::newRow("one imported") << 0 << QByteArray("Titolo;Codice;Autore\nT;C5;A\n") << false << false << false
        << "1 scheda importata in %1, nella posizione 1." << 0;
    QTest::newRow("a file without cards") << 1 << QByteArray("Titolo;Codice;Autore\n") << false << false << false
        << "0 schede importate: il file non contiene schede." << 0;
    QTest::newRow("a problem") << 0 << QByteArray("Titolo;Codice;Autore\nT;C5;\n") << false << false << false
        << "Nessuna scheda importata: 1 problema; l'archivio è rimasto com'era." << 1;
    QTest::newRow("a code already there") << 1 << QByteArray("Titolo;Codice;Autore\nT;c1;A\n") << false << false << false
        << "Nessuna scheda importata: 1 codice già presente o ripetuto (--allow-duplicates lo importa comunque); l'archivio è rimasto com'era."
        << 1;
    QTest::newRow("two codes repeated") << 0 << QByteArray("Titolo;Codice;Autore\nT;C5;A\nT;C5;A\nT;C5;A\n") << false << false << false
        << "Nessuna scheda importata: 2 codici già presenti o ripetuti (--allow-duplicates li importa comunque); l'archivio è rimasto com'era."
        << 2;
    QTest::newRow("a clean check") << 0 << two << true << false << false
        << "2 schede pronte da importare in %1 (file letto come UTF-8): nessun problema trovato; nessuna scheda scritta (--dry-run)." << 0;
    QTest::newRow("a check that lists a repeated code let through") << 1 << QByteArray("Titolo;Codice;Autore\nT;C1;A\n") << true << true << false
        << "1 scheda pronta da importare in %1 (file letto come UTF-8): nessun problema che fermi l'importazione, 1 riga segnalata da "
           "vedere; nessuna scheda scritta (--dry-run)." << 1;
    QTest::newRow("a check that mends a Dewey class") << 0 << QByteArray("Titolo;Codice;Autore;Dewey\nT;C5;A;74\n") << true << false << false
        << "1 scheda pronta da importare in %1 (file letto come UTF-8): nessun problema che fermi l'importazione, 1 riga segnalata da "
           "vedere; 1 codice Dewey completato con gli zeri iniziali; nessuna scheda scritta (--dry-run)." << 1;
    QTest::newRow("an interrupted check") << 0 << two << true << false << true
        << "Controllo interrotto: nessuna scheda scritta, l'archivio è rimasto com'era." << 0;
    QTest::newRow("an interrupted import") << 0 << two << false << false << true
        << "Importazione interrotta: nessuna scheda aggiunta, l'archivio è rimasto com'era." << 0;
}
// clang-format on

void ImportCoreTest::sentenceSaysTheOutcome()
{
    QFETCH(int, archiveCards);
    QFETCH(QByteArray, csv);
    QFETCH(bool, checkOnly);
    QFETCH(bool, allowDuplicates);
    QFETCH(bool, cancelled);
    QFETCH(QString, sentence);
    QFETCH(int, listed);
    TestFolder folder;
    QByteArray archive;
    for (int i = 1; i <= archiveCards; ++i)
        archive += book(QStringLiteral("C%1").arg(i));
    folder.write(QStringLiteral("Libri.pro"), archive);
    QBuffer file(&csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    CardImport cards(Books::collection());
    CardImport::Options options;
    options.archive = folder.file(QStringLiteral("Libri.pro"));
    options.checkOnly = checkOnly;
    options.allowDuplicates = allowDuplicates;
    const std::atomic<bool> cancel{cancelled};
    const CardImport::Outcome outcome = cards.run(file, options, {}, &cancel);
    ImportSummary::Voice voice;
    voice.archive = QDir::toNativeSeparators(options.archive);
    voice.allowDuplicates = QStringLiteral("--allow-duplicates");
    voice.checkOnly = QStringLiteral("(--dry-run)");
    QCOMPARE(ImportSummary::sentence(cards, outcome, checkOnly, voice), sentence.arg(voice.archive));
    // The findings first, then the notes on what the cards will lack.
    const QStringList lines = ImportSummary::lines(cards);
    QCOMPARE(lines.mid(0, listed), cards.report() + cards.warningReport());
    QCOMPARE(lines.mid(listed), cards.notes());
    const bool wrote = outcome.status == CardImport::Outcome::Status::Imported && !checkOnly;
    if (!wrote)
        QCOMPARE(folder.read(QStringLiteral("Libri.pro")), archive);
}

void ImportCoreTest::failedOpenNamesTheArchive()
{
    TestFolder folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Libri.pro"))); // a folder where the archive goes
    QByteArray csv("Titolo;Codice;Autore\nT;C5;A\n");
    QBuffer file(&csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    CardImport cards(Books::collection());
    CardImport::Options options;
    options.archive = folder.file(QStringLiteral("Libri.pro"));
    const CardImport::Outcome outcome = cards.run(file, options);
    QCOMPARE(outcome.status, CardImport::Outcome::Status::Failed);
    ImportSummary::Voice voice;
    voice.archive = options.archive;
    QVERIFY(outcome.openFailed);
    QVERIFY(!outcome.reason.isEmpty());
    QCOMPARE(ImportSummary::sentence(cards, outcome, false, voice),
        QStringLiteral("Impossibile aprire %1 in scrittura: %2.").arg(options.archive, outcome.reason));
}

QTEST_GUILESS_MAIN(ImportCoreTest)
#include "test_import_core.moc"
