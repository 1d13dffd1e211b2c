// The card kit over the three collections: every collection's card screen
// is a row of these tables.
#include "TestSupport.h"
#include "ExportFixtures.h"
#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/export/Spreadsheet.h"
#include "core/search/Search.h"
#include "core/storage/Record.h"
#include "core/storage/Cp1252.h"
#include "ui/articles/TfrmBibliografie.h"
#include "ui/books/TfrmLibri.h"
#include "ui/dvd/TfrmDVD.h"
#include "ui/cards/CardBinder.h"
#include "ui/cards/CardScreen.h"
#include "ui/cards/LineList.h"
#include "ui/cards/LineListModel.h"
#include "ui/registry/CollectionList.h"
#include "core/collections/SampleCards.h"
#include "ui/cards/TfrmTrova.h"
#include "ui/cards/TfrmStampaScheda.h"
#include "ui/dvd/TfrmTrovaDVD.h"
#include "ui/articles/TfrmTrovaBibliografie.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "ui/registry/ScreenRegistry.h"
#include "print/report/PreparedReport.h"
#include "ui/report/PrintDialog.h"
#include "print/report/ReportUnits.h"
#include "ui/shell/Controls.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TForm.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QClipboard>
#include <QEnterEvent>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTest>

#include <memory>

using ReportUnits::mm;

namespace {

const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");

// The card screens, each on its archive in a fresh program folder; a
// yearly collection works on the year 2015.
struct CardKind {
    const Collection* collection = nullptr;
    QString archive;
    const RecordLayout* layout = nullptr;
    QString tag;
};

CardKind kind(const QString& tag)
{
    for (const Collection* c : Collection::all()) {
        if (tag == Text::utf8(c->callerTag))
            return {c, c->archiveName(QStringLiteral("2015")), c->layout, tag};
    }
    qFatal("no card %s", qPrintable(tag));
}

using Values = QList<QPair<QString, QString>>; // control, text

} // namespace

class CardsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void callerTagFindsItsCard();
    void lineListModelKeepsQtsRules_data();
    void lineListModelKeepsQtsRules();
    void tablesNameOnlyRecordFields();
    void requiredFieldsInOrder_data();
    void requiredFieldsInOrder();
    void savedCardComesBackExactly_data();
    void savedCardComesBackExactly();
    void enterRing_data();
    void enterRing();
    void typingLimits_data();
    void typingLimits();
    void ownHints_data();
    void ownHints();
    void webLookupEncodesTheQuery_data();
    void webLookupEncodesTheQuery();
    void articleTextKeptWithinTheArchive();
    void dvdAvailableRule();
    void resultLines_data();
    void resultLines();
    void doubleClickHandsBackTheCard_data();
    void doubleClickHandsBackTheCard();
    void cardSheet_data();
    void cardSheet();
    void exportBytes_data();
    void exportBytes();
    void longStoredValuesKeptWhole_data();
    void longStoredValuesKeptWhole();
    void pastedLineBreaksBecomeBlanks_data();
    void pastedLineBreaksBecomeBlanks();
    void articleTextShownAsStored_data();
    void articleTextShownAsStored();
    void articleTextTypedAsStored_data();
    void articleTextTypedAsStored();
    void articleTextLimitCheckedAtSave_data();
    void articleTextLimitCheckedAtSave();
    void articleTextEditKeepsEachBreak();
    void charactersTheArchiveLacks_data();
    void charactersTheArchiveLacks();
    void loanWithoutItsDateIsTold_data();
    void loanWithoutItsDateIsTold();
    void longValuesShowTheirBeginning_data();
    void longValuesShowTheirBeginning();
    void walkingThroughKeepsValues_data();
    void walkingThroughKeepsValues();
    void listScrollsToTheEndOfTheLongestLine_data();
    void listScrollsToTheEndOfTheLongestLine();

private:
    // Stores one card in the archive of the open screen: the required
    // fields filled, not cancelled, and `fields` as given. Returns its bytes.
    QByteArray storeCard(const Values& fields);
    CardKind m_kind;
    CardScreen* open(const QString& tag);
    void click(const char* name) { QTest::mouseClick(m_card->control(QLatin1String(name)), Qt::LeftButton); }
    void type(const Values& values)
    {
        for (const auto& [control, text] : values)
            Controls::setText(m_card->control(control), text);
    }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MessageLog> m_log;
    CardScreen* m_card = nullptr;
};

CardScreen* CardsTest::open(const QString& tag)
{
    m_folder = std::make_unique<TestFolder>();
    m_log = std::make_unique<MessageLog>();
    Screens::createAll();
    m_kind = kind(tag);
    m_card = cardScreenFor(tag);
    if (m_kind.collection->yearly())
        m_card->control<QLabel>(QStringLiteral("lblFile"))->setText(m_folder->file(m_kind.archive));
    m_card->showScreen();
    if (!QTest::qWaitForWindowActive(m_card))
        qWarning("card not active");
    return m_card;
}

void CardsTest::cleanup()
{
    Screens::destroyAll();
    m_card = nullptr;
    m_log.reset();
    m_folder.reset();
}

void CardsTest::callerTagFindsItsCard()
{
    m_folder = std::make_unique<TestFolder>();
    Screens::createAll();
    // Each collection's tag finds its card, trimmed; case matters.
    for (const CollectionScreens* e : CollectionList::all()) {
        const QString tag = Text::utf8(e->collection->callerTag);
        CardScreen* card = cardScreenFor(QLatin1Char(' ') + tag + QLatin1Char(' '));
        QVERIFY2(card, qPrintable(tag));
        QCOMPARE(card->objectName(), Text::utf8(e->form->objectName));
        QCOMPARE(&card->collection(), e->collection);
        QVERIFY(!cardScreenFor(tag.toUpper()));
    }
    QVERIFY(!cardScreenFor(QStringLiteral("avvio")));
    QVERIFY(!cardScreenFor(QString()));
}

// clang-format off
void CardsTest::lineListModelKeepsQtsRules_data()
{
    QTest::addColumn<QByteArray>("key");
    for (const Collection* c : Collection::all())
        QTest::newRow(c->key.data()) << QByteArray(c->key.data(), qsizetype(c->key.size()));
}
// clang-format on

void CardsTest::lineListModelKeepsQtsRules()
{
    // Qt's own checks of an item model while a list is filled with a
    // search's lines, resized, refilled and emptied.
    QFETCH(QByteArray, key);
    const Collection* c = Collection::find(key.toStdString());
    QVERIFY(c);
    TestFolder folder;
    SampleCards cards(3);
    QByteArray bytes;
    Record record(*c->layout);
    for (int i = 1; i <= 40; ++i) {
        cards.fill(*c, record, i);
        bytes += record.bytes();
    }
    folder.write(QStringLiteral("archivio"), bytes);
    QStringList lines;
    QVERIFY(Search(*c->search).run(folder.file(QStringLiteral("archivio")), lines));
    QVERIFY(lines.size() > 20);

    LineListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setLines(lines);
    QCOMPARE(model.rowCount(), lines.size());
    model.setItemSize({c->search->itemWidth, 16});
    QCOMPARE(model.data(model.index(lines.size() - 1), Qt::SizeHintRole).toSize(), QSize(c->search->itemWidth, 16));
    model.setLines(lines.mid(0, 5));
    QCOMPARE(model.data(model.index(4), Qt::DisplayRole).toString(), lines.at(4));
    QVERIFY(!model.data(model.index(0), Qt::EditRole).isValid());
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void CardsTest::tablesNameOnlyRecordFields()
{
    for (const Collection* c : Collection::all())
        QCOMPARE(c->tableFaults(), QStringList());
    // The check sees a misspelt field.
    static constexpr RequiredField kMisspelt[] = {{"Titlo", "?"}};
    Collection broken = Dvds::collection();
    broken.required = kMisspelt;
    QCOMPARE(broken.tableFaults(), QStringList{QStringLiteral("required: Titlo")});
    broken = Dvds::collection();
    broken.exportTable = Books::collection().exportTable;
    QVERIFY(broken.tableFaults().contains(QStringLiteral("export: another layout")));
}

// clang-format off
void CardsTest::requiredFieldsInOrder_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<Values>("typed");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("message");
    const QString dvdTitle = QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il titolo del DVD.");
    const QString dvdCode = QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il codice identificativo del DVD.");
    const QString article = QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il titolo dell'articolo.");
    const QString bookTitle = QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il titolo del libro.");
    const QString bookCode = QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il codice identificativo del libro.");
    const QString bookAuthor = QStringLiteral("Attenzione: per salvare la scheda è necessario indicare l'autore del libro.");
    QTest::newRow("book: all empty, title first") << "libri" << Values{} << "txtTitolo" << bookTitle;
    QTest::newRow("book: blank title") << "libri" << Values{{"txtTitolo", " \t "}, {"txtCodice", "C"}, {"txtAutore", "A"}} << "txtTitolo" << bookTitle;
    QTest::newRow("book: code before author") << "libri" << Values{{"txtTitolo", "T"}, {"txtCodice", "  "}} << "txtCodice" << bookCode;
    QTest::newRow("book: then the author") << "libri" << Values{{"txtTitolo", "T"}, {"txtCodice", "C"}, {"txtAutore", " "}} << "txtAutore" << bookAuthor;
    QTest::newRow("dvd: title first") << "dvd" << Values{{"txtRegia", "R"}} << "txtTitolo" << dvdTitle;
    QTest::newRow("dvd: blank title") << "dvd" << Values{{"txtTitolo", " \t"}, {"txtCodice", "C"}} << "txtTitolo" << dvdTitle;
    QTest::newRow("dvd: then the code") << "dvd" << Values{{"txtTitolo", "T"}} << "txtCodice" << dvdCode;
    QTest::newRow("article: blank title") << "bibliografie" << Values{{"txtTitolo", "   "}, {"txtTesto", "testo"}} << "txtTitolo" << article;
}
// clang-format on

void CardsTest::requiredFieldsInOrder()
{
    QFETCH(QString, card);
    QFETCH(Values, typed);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    open(card);
    type(typed);
    m_card->control(QStringLiteral("txtNote"))->setFocus();
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.first().kind, Msg::Kind::Warning);
    QCOMPARE(m_log->lastText(), message);
    QCOMPARE(QApplication::focusWidget(), m_card->control(focus));
    QCOMPARE(m_folder->read(kind(card).archive).size(), 0);
    QVERIFY(m_card->lblPosizione()->text().isEmpty());
}

// clang-format off
void CardsTest::savedCardComesBackExactly_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<Values>("typed");
    QTest::addColumn<Values>("stored"); // field, text as the archive holds it
    QTest::addColumn<Values>("shown");  // control, text after moving away and back
    QTest::newRow("dvd with title and code only")
        << "dvd" << Values{{"txtTitolo", "  Il viaggio lungo "}, {"txtCodice", "D-17"}}
        << Values{{"Titolo", "Il viaggio lungo"}, {"Codice", "D-17"}, {"Convalida", "No"}, {"Annullata", "No"}, {"Regia", ""}}
        << Values{{"txtTitolo", "Il viaggio lungo"}, {"txtCodice", "D-17"}, {"txtRegia", ""}};
    // Articles keep their blanks, and the text's line breaks come back as typed.
    QTest::newRow("article with blanks and three lines")
        << "bibliografie" << Values{{"txtTitolo", "  Il porto riapre  "}, {"txtTesto", "Prima riga\r\n  seconda riga\r\nterza { } \\ riga "}}
        << Values{{"Titolo", "  Il porto riapre  "}, {"Testo", "Prima riga\r\n  seconda riga\r\nterza { } \\ riga "}, {"Autore", ""}}
        << Values{{"txtTitolo", "  Il porto riapre  "}, {"txtTesto", "Prima riga\r\n  seconda riga\r\nterza { } \\ riga "}};
}
// clang-format on

void CardsTest::savedCardComesBackExactly()
{
    QFETCH(QString, card);
    QFETCH(Values, typed);
    QFETCH(Values, stored);
    QFETCH(Values, shown);
    const CardKind k = kind(card);
    open(card);
    type(typed);
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kInserted);
    QCOMPARE(m_card->lblPosizione()->text(), QStringLiteral("1"));
    const QByteArray file = m_folder->read(k.archive);
    QCOMPARE(file.size(), k.layout->size);

    Record expected(*k.layout);
    for (const auto& [field, text] : stored)
        expected.setText(field.toStdString(), text);
    Record actual(*k.layout);
    actual.bytes() = file;
    for (const auto& [field, text] : stored)
        QCOMPARE(actual.text(field.toStdString()), text);
    QCOMPARE(actual.bytes(), expected.bytes()); // nothing else was written

    click("cmdNuovo");
    QVERIFY(Controls::text(m_card->control(QStringLiteral("txtTitolo"))).isEmpty());
    click("cmdPrimo");
    for (const auto& [control, text] : shown)
        QCOMPARE(Controls::text(m_card->control(control)), text);
    if (card == QLatin1String("bibliografie")) // the memo shows line breaks, not CR characters
        QCOMPARE(m_card->control<QPlainTextEdit>(QStringLiteral("txtTesto"))->document()->blockCount(), 3);
}

// clang-format off
void CardsTest::enterRing_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QStringList>("steps"); // each field and where Enter leads from it
    QTest::newRow("book ring, every field") << "libri"
                                            << QStringList{"txtTitolo", "txtCodice", "txtCodice", "txtScaffale", "txtScaffale", "txtAutore", "txtAutore", "txtNazione", "txtNazione", "txtCuratore", "txtCuratore", "txtDewey", "txtDewey", "txtPagine", "txtPagine", "txtGenere", "txtGenere", "txtGiudizio", "txtGiudizio", "txtEditore", "txtEditore", "txtIsbn", "txtIsbn", "txtCitta", "txtCitta", "txtAnno", "txtAnno", "txtVolumi", "txtVolumi", "txtPrezzo", "txtPrezzo", "txtCollana", "txtCollana", "txtFormato", "txtFormato", "txtOriginale", "txtOriginale", "txtLingua", "txtLingua", "txtPrima", "txtPrima", "txtTraduttore", "txtTraduttore", "txtVersione", "txtVersione", "txtNote", "txtNote", "txtPrestato", "txtPrestato", "txtScadenza", "txtScadenza", "txtTitolo"};
    QTest::newRow("dvd ring") << "dvd"
                              << QStringList{"txtProtagonista", "txtAnno", "txtAnno", "txtDurata", "txtDurata", "txtGenere",
                                     "txtPremi", "txtNote", "txtScadenza", "txtTitolo"};
    QTest::newRow("article ring stops at the text") << "bibliografie"
                                                    << QStringList{"txtNumTestata", "txtTesto", "txtTesto", "txtTesto",
                                                           "txtNote", "txtTitolo", "txtTitolo", "txtDataPub"};
}
// clang-format on

void CardsTest::enterRing()
{
    QFETCH(QString, card);
    QFETCH(QStringList, steps);
    open(card);
    for (int i = 0; i + 1 < steps.size(); i += 2) {
        QWidget* from = m_card->control(steps[i]);
        from->setFocus();
        pressEnter(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget() == m_card->control(steps[i + 1])
                || m_card->control(steps[i + 1])->isAncestorOf(QApplication::focusWidget()),
            true);
        // Exactly the focused field is framed.
        const auto frame = [this](const QString& field) { return m_card->findChild<QWidget*>(QStringLiteral("eff") + field.mid(3)); };
        if (QWidget* to = frame(steps[i + 1]))
            QVERIFY2(to->isVisible(), qPrintable(steps[i + 1]));
        if (QWidget* left = frame(steps[i]); left && steps[i] != steps[i + 1])
            QVERIFY2(!left->isVisible(), qPrintable(steps[i]));
    }
    if (card == QLatin1String("bibliografie")) // Enter in the text started a new line
        QCOMPARE(Controls::text(m_card->control(QStringLiteral("txtTesto"))), QStringLiteral("\r\n"));
}

// clang-format off
void CardsTest::typingLimits_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("capacity");
    QTest::newRow("book Dewey code") << "libri" << "txtDewey" << 3;
    QTest::newRow("book code") << "libri" << "txtCodice" << 24;
    QTest::newRow("dvd prizes: 30 in a 50 slot") << "dvd" << "txtPremi" << 30;
    QTest::newRow("dvd year") << "dvd" << "txtAnno" << 4;
    QTest::newRow("dvd due date") << "dvd" << "txtScadenza" << 10;
    QTest::newRow("article date") << "bibliografie" << "txtDataPub" << 10;
    QTest::newRow("article issue") << "bibliografie" << "txtNumTestata" << 30;
}
// clang-format on

void CardsTest::typingLimits()
{
    QFETCH(QString, card);
    QFETCH(QString, control);
    QFETCH(int, capacity);
    open(card);
    auto* edit = m_card->control<QLineEdit>(control);
    edit->setFocus();
    QTest::keyClicks(edit, QString(capacity + 5, QLatin1Char('7')));
    QCOMPARE(edit->text().size(), capacity);
}

// clang-format off
void CardsTest::ownHints_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("hint");
    const QString loan = QStringLiteral("Campo di testo di sola lettura che si autocompila in fase di emissione di una scheda prestito.");
    QTest::newRow("book cmdNuovo") << "libri" << "cmdNuovo" << "Predisponi la schermata per l'inserimento di una nuova scheda.";
    QTest::newRow("book cmdDuplica") << "libri" << "cmdDuplica" << "Prepara la schermata per la registrazione di una nuova scheda duplicando i dati correnti.";
    QTest::newRow("book cmdSalva") << "libri" << "cmdSalva" << "Salva la scheda corrente in archivio.";
    QTest::newRow("book cmdTrova") << "libri" << "cmdTrova" << "Trova una scheda in archivio.";
    QTest::newRow("book cmdFile") << "libri" << "cmdFile" << "Allega file alla scheda corrente.";
    QTest::newRow("book cmdStampa") << "libri" << "cmdStampa" << "Stampa la scheda corrente.";
    QTest::newRow("book cmdPrimo") << "libri" << "cmdPrimo" << "Visualizza la prima scheda in archivio.";
    QTest::newRow("book cmdIndietro") << "libri" << "cmdIndietro" << "Visualizza la scheda precedente in archivio.";
    QTest::newRow("book cmdAvanti") << "libri" << "cmdAvanti" << "Visualizza la scheda successiva in archivio.";
    QTest::newRow("book cmdUltimo") << "libri" << "cmdUltimo" << "Visualizza l'ultima scheda in archivio.";
    QTest::newRow("book cmdEsporta") << "libri" << "cmdEsporta" << "Esporta tutte le schede in archivio in un file di Microsoft Excel.";
    QTest::newRow("book cmdDisponibili") << "libri" << "cmdDisponibili" << "Trova un libro in archivio fra quelli disponibili per il prestito.";
    QTest::newRow("book cmdGuida") << "libri" << "cmdGuida" << "Visualizza la pagina della guida sensibile al contesto.";
    QTest::newRow("book cmdEsci") << "libri" << "cmdEsci" << "Esci da questa schermata di lavoro.";
    QTest::newRow("book btnDewey") << "libri" << "btnDewey" << "Visualizza la Tabella dei Codici Dewey.";
    QTest::newRow("book btnGoogle") << "libri" << "btnGoogle" << "Cerca sul Web, tramite Google, informazioni relative al libro con l'ISBN indicato.";
    QTest::newRow("book btnScadenza") << "libri" << "btnScadenza" << "Inserisci la data corrente.";
    QTest::newRow("book chkAnnullata") << "libri" << "chkAnnullata" << "Contrassegna la scheda del libro come annullata per escluderla dai risultati di ricerca.";
    QTest::newRow("dvd new") << "dvd" << "cmdNuovo" << "Predispone la schermata per l'inserimento di una nuova scheda.";
    QTest::newRow("dvd export") << "dvd" << "cmdEsporta" << "Esporta le schede in archivio in un file di Microsoft Excel.";
    QTest::newRow("dvd available") << "dvd" << "cmdDisponibili" << "Trova un DVD in archivio fra quelli disponibili per il prestito.";
    QTest::newRow("dvd web") << "dvd" << "btnGoogle" << "Cerca sul Web, tramite Google, informazioni relative al DVD con il titolo indicato.";
    QTest::newRow("dvd borrower field") << "dvd" << "txtPrestato" << loan;
    QTest::newRow("dvd due date field") << "dvd" << "txtScadenza" << loan;
    QTest::newRow("article rtf") << "bibliografie" << "cmdWord" << "Esporta la scheda corrente in formato RTF.";
    QTest::newRow("article spreadsheet") << "bibliografie" << "cmdExcel" << "Esporta tutte le schede in archivio in un file di Microsoft Excel.";
    QTest::newRow("article attachments") << "bibliografie" << "cmdCartella" << "Allega file alla scheda corrente.";
}
// clang-format on

void CardsTest::ownHints()
{
    QFETCH(QString, card);
    QFETCH(QString, control);
    QFETCH(QString, hint);
    open(card);
    hover(m_card->control(control));
    QCOMPARE(m_card->panInfo()->text(), hint);
}

// clang-format off
void CardsTest::webLookupEncodesTheQuery_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("address");
    // Over https, with the engine's host and the query encoded in UTF-8.
    QTest::newRow("book by ISBN") << "libri" << "txtIsbn" << " 978-88 "
                                  << "https://www.google.com/search?q=ISBN%3A978-88";
    QTest::newRow("book ISBN with every reserved character and an accent") << "libri" << "txtIsbn" << "88&1#2+3%4è"
                                  << "https://www.google.com/search?q=ISBN%3A88%261%232%2B3%254%C3%A8";
    QTest::newRow("book ISBN with blanks inside") << "libri" << "txtIsbn" << "  88 04 66823 7 "
                                                  << "https://www.google.com/search?q=ISBN%3A88%2004%2066823%207";
    QTest::newRow("dvd title with reserved characters")
        << "dvd" << "txtTitolo" << "  Tom & Jerry #1 + 50% "
        << "https://www.google.com/search?q=Tom%20%26%20Jerry%20%231%20%2B%2050%25";
    QTest::newRow("dvd title with an accented letter") << "dvd" << "txtTitolo" << "Perché no?"
                                  << "https://www.google.com/search?q=Perch%C3%A9%20no%3F";
}
// clang-format on

void CardsTest::webLookupEncodesTheQuery()
{
    QFETCH(QString, card);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, address);
    open(card);
    OpenLog opened;
    click("btnGoogle"); // empty field: the warning, nothing opened
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.first().kind, Msg::Kind::Warning);
    QVERIFY(opened.urls.isEmpty());
    QCOMPARE(QApplication::focusWidget(), m_card->control(control));

    Controls::setText(m_card->control(control), typed);
    click("btnGoogle");
    QCOMPARE(opened.urls.size(), 1);
    QCOMPARE(opened.urls.first().toString(QUrl::FullyEncoded), address);
}

void CardsTest::articleTextKeptWithinTheArchive()
{
    open(QStringLiteral("bibliografie"));
    auto* text = m_card->control<QPlainTextEdit>(QStringLiteral("txtTesto"));
    // 4990 stored characters: 4988 letters and one line break (CR LF).
    text->setPlainText(QString(4000, QLatin1Char('a')) + QLatin1Char('\n') + QString(988, QLatin1Char('b')));
    m_log->clear();
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("0123456789ABCDEF"));
    text->paste();
    // The paste is kept whole; the info line says by how much it is over.
    QVERIFY(text->toPlainText().endsWith(QLatin1String("b0123456789ABCDEF")));
    QVERIFY(m_log->entries.isEmpty());
    const QString over = QStringLiteral("Il testo dell'articolo supera di 6 caratteri i 5000 caratteri che l'archivio può contenere.");
    QCOMPARE(m_card->panInfo()->text(), over);
    // Typing goes on, and the count follows it.
    QTest::keyClicks(text, QStringLiteral("xy"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(m_card->panInfo()->text(),
        QStringLiteral("Il testo dell'articolo supera di 10 caratteri i 5000 caratteri che l'archivio può contenere."));
    grabForALook(m_card, QStringLiteral("articolo-testo-lungo"));
    QVERIFY(text->toPlainText().endsWith(QLatin1String("EFxy\n")));
    // Back within the limit: the notice goes.
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(text, Qt::Key_Backspace);
    QCOMPARE(m_card->panInfo()->text(), QString());
    QTest::keyClicks(text, QStringLiteral("zz"));
    QCOMPARE(m_card->panInfo()->text(),
        QStringLiteral("Il testo dell'articolo supera di 1 carattere i 5000 caratteri che l'archivio può contenere."));
    QVERIFY(m_log->entries.isEmpty());

    // The Save asks first; Sì stores what fits, and the card shows it.
    Controls::setText(m_card->control(QStringLiteral("txtTitolo")), QStringLiteral("Lungo"));
    m_log->answers = {true};
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 2);
    QCOMPARE(m_log->entries[0].kind, Msg::Kind::Confirmation);
    QCOMPARE(m_log->entries[1].text, kInserted);
    const QString shown = Controls::text(text);
    QCOMPARE(shown.size(), TfrmBibliografie::kTextCapacity);
    QCOMPARE(m_card->panInfo()->text(), QString());
    click("cmdNuovo");
    click("cmdPrimo");
    QCOMPARE(Controls::text(text), shown);
}

void CardsTest::dvdAvailableRule()
{
    TestFolder folder;
    QByteArray archive;
    auto dvd = [&](const char* code, const char* borrower, const char* due, const char* cancelled) {
        Record r(TSchedaDVD);
        r.setText("Codice", QString::fromLatin1(code));
        r.setText("Titolo", QStringLiteral("Titolo"));
        r.setText("Prestato", QString::fromLatin1(borrower));
        r.setText("Scadenza", QString::fromLatin1(due));
        r.setText("Annullata", QString::fromUtf8(cancelled));
        archive += r.bytes();
    };
    dvd("D1", "Rossi", "", "No");      // a borrower without a due date: available
    dvd("D2", "", "31/12/2026", "No"); // a due date without a borrower: not available
    dvd("D3", "", "", "No");           // free
    dvd("D4", "", "", "Sì");           // cancelled
    folder.write(QStringLiteral("DVD.pro"), archive);
    QStringList lines;
    QVERIFY(Search(Dvds::available()).run(folder.file(QStringLiteral("DVD.pro")), lines));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith(QLatin1String("Cod. D1 ")));
    QVERIFY(lines[1].startsWith(QLatin1String("Cod. D3 ")));
}

// clang-format off
void CardsTest::resultLines_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<Values>("fields");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("last"); // the unfitted last field
    QTest::addColumn<int>("lastAt");   // where it always begins

    const Values book{{"Codice", "B-0042"}, {"Titolo", "Storia di Roma"}, {"Autore", "Rossi Mario"},
        {"Citta", "Torino"}, {"Editore", "Edizioni Alfa"}, {"Anno", "1998"}};
    QTest::newRow("book") << "libri" << book
                          << "Cod. B-0042" + QString(18, ' ') + "  " + "Storia di Roma" + QString(36, ' ') + "  "
            + "Rossi Mario" + QString(19, ' ') + "  " + "Torino Edizioni Alfa 1998"
                          << "Torino" << 115;
    Values noCity = book;
    noCity[3].second.clear();
    QTest::newRow("book, empty city: three spaces") << "libri" << noCity
                                                    << "Cod. B-0042" + QString(18, ' ') + "  Storia di Roma" + QString(36, ' ')
            + "  Rossi Mario" + QString(19, ' ') + "   Edizioni Alfa 1998"
                                                    << "Edizioni" << 116;
    const QString longTitle = QStringLiteral("Perché leggere i classici, con una lunga introduzione del curatore");
    const QString longAuthor = QStringLiteral("Bartolomeo Ubaldini della Gherardesca");
    QTest::newRow("book, long title and author cut; accents count once")
        << "libri" << Values{{"Codice", "X"}, {"Titolo", longTitle}, {"Autore", longAuthor}, {"Citta", "Città di Castello"}}
        << "Cod. X" + QString(23, ' ') + "  " + longTitle.left(50) + "  " + longAuthor.left(30) + "  Città di Castello  "
        << "Città di Castello" << 115;
    QTest::newRow("dvd") << "dvd"
                         << Values{{"Codice", "D-17"}, {"Titolo", "Il viaggio lungo"}, {"Regia", "Bianchi Carlo"},
                                {"Anno", "1959"}, {"Protagonista", "Verdi Anna"}}
                         << QStringLiteral("Cod. D-17") + QString(20, ' ') + "  Il viaggio lungo" + QString(30, ' ')
            + "  Regia: Bianchi Carlo" + QString(15, ' ') + "  Anno: 1959  Prot. Verdi Anna"
                         << "Verdi Anna" << 134;
    // A stored line break is one blank: the columns stay where they are.
    QTest::newRow("dvd with line breaks") << "dvd"
                         << Values{{"Codice", "D-17"}, {"Titolo", "Il viaggio\r\nlungo"}, {"Regia", "Bianchi\nCarlo"},
                                {"Anno", "1959"}, {"Protagonista", "Verdi\rAnna"}}
                         << QStringLiteral("Cod. D-17") + QString(20, ' ') + "  Il viaggio lungo" + QString(30, ' ')
            + "  Regia: Bianchi Carlo" + QString(15, ' ') + "  Anno: 1959  Prot. Verdi Anna"
                         << "Verdi Anna" << 134;
    QTest::newRow("article") << "bibliografie"
                             << Values{{"Titolo", "  Il porto riapre"}, {"DataPub", "12/03/2014"}, {"Autore", "Neri Paolo"},
                                    {"Testata", "Il Quotidiano Alfa"}}
                             << QStringLiteral("Il porto riapre") + QString(35, ' ') + "  Data: 12/03/2014  Autore: Neri Paolo"
            + QString(20, ' ') + "  Testata: Il Quotidiano Alfa"
                             << "Il Quotidiano Alfa" << 119;
    QTest::newRow("article with line breaks") << "bibliografie"
                             << Values{{"Titolo", "  Il porto\r\nriapre"}, {"DataPub", "12/03/2014"}, {"Autore", "Neri Paolo"},
                                    {"Testata", "Il Quotidiano\r\nAlfa"}}
                             << QStringLiteral("Il porto riapre") + QString(35, ' ') + "  Data: 12/03/2014  Autore: Neri Paolo"
            + QString(20, ' ') + "  Testata: Il Quotidiano Alfa"
                             << "Il Quotidiano Alfa" << 119;
}
// clang-format on

void CardsTest::resultLines()
{
    QFETCH(QString, card);
    QFETCH(Values, fields);
    QFETCH(QString, line);
    QFETCH(QString, last);
    QFETCH(int, lastAt);
    const CardKind k = kind(card);
    TestFolder folder;
    Record r(*k.layout);
    for (const auto& [field, text] : fields)
        r.setText(field.toStdString(), text);
    if (k.layout->find("Annullata"))
        r.setText("Annullata", QStringLiteral("No"));
    folder.write(k.archive, r.bytes());
    QStringList lines;
    QVERIFY(Search(*k.collection->search).run(folder.file(k.archive), lines));
    QCOMPARE(lines, QStringList{line});
    QCOMPARE(line.mid(lastAt, last.size()), last);
}

// clang-format off
void CardsTest::doubleClickHandsBackTheCard_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("title"); // stored in both twins, whose lines are equal
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines"); // listed; a cancelled twin is not
    for (const Collection* c : Collection::all()) {
        const QString tag = Text::utf8(c->callerTag);
        if (c->key == "books")
            QTest::newRow("books: the later, cancelled twin") << tag << "Doppio" << "Doppio" << 2;
        else if (c->key == "dvd")
            QTest::newRow("dvd: the later, cancelled twin") << tag << "Il viaggio" << "Il viaggio" << 2;
        else if (c->key == "articles")
            QTest::newRow("articles: as stored, the later twin") << tag << "  Il porto  " << "  Il porto  " << 3;
        else
            QTest::addRow("%s", c->key.data()) << tag << QString() << QString() << 0;
    }
}
// clang-format on

// A double click below the lines hands the selected line's card back to
// the card screen: the last card whose line equals it, every field in its
// control, so that the card saves back to the same bytes.
void CardsTest::doubleClickHandsBackTheCard()
{
    QFETCH(QString, card);
    QFETCH(QString, title);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    QVERIFY2(lines > 0, "a collection without its hand-back case");
    const CardKind k = kind(card);
    open(card);
    SampleCards words(11);
    Record other(*k.layout);
    words.fill(*k.collection, other, 1);
    other.setText("Titolo", QStringLiteral("Altro"));
    Record later(*k.layout);
    words.fill(*k.collection, later, 2);
    later.setText("Titolo", title);
    later.setText("Note", QStringLiteral("la seconda"));
    later.setText("File01", QStringLiteral("scansione.pdf"));
    Record earlier(*k.layout);
    earlier.bytes() = later.bytes();
    earlier.setText("Note", QStringLiteral("la prima"));
    if (k.collection->hasCancelledFlag()) {
        const QString no = Text::utf8(k.collection->no);
        other.setText("Annullata", no);
        earlier.setText("Annullata", no);
        later.setText("Annullata", Text::utf8(k.collection->yes));
    }
    m_folder->write(k.archive, other.bytes() + earlier.bytes() + later.bytes());

    // The card's own search command opens it.
    bool searched = false;
    bool closed = false;
    onNextModal<TfrmTrova>([&](TfrmTrova* search) {
        QTest::mouseClick(search->control(QStringLiteral("btnCerca")), Qt::LeftButton);
        LineList* list = search->lstRecords();
        QCOMPARE(list->count(), lines);
        const QStringList shownLines = list->lines();
        const auto twin = std::find_if(
            shownLines.begin(), shownLines.end(), [&](const QString& line) { return line.contains(title.trimmed()); });
        QVERIFY(twin != shownLines.end());
        list->selectRow(int(twin - shownLines.begin()));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->viewport()->height() - 4));
        searched = true;
        closed = !search->isVisible();
    });
    click("cmdTrova");
    QVERIFY(searched);
    QVERIFY(closed);
    QCOMPARE(m_card->lblPosizione()->text(), QStringLiteral("3"));
    QCOMPARE(Controls::text(m_card->control(QStringLiteral("txtTitolo"))), shown);
    QCOMPARE(Controls::text(m_card->control(QStringLiteral("txtNote"))), QStringLiteral("la seconda"));
    QCOMPARE(m_card->control<QLabel>(QStringLiteral("lblFile01"))->text(), QStringLiteral("scansione.pdf"));
    Record onCard(*k.layout);
    CardBinder::fill(m_card, onCard, *k.collection);
    QCOMPARE(onCard.bytes(), later.bytes());
}

// clang-format off
void CardsTest::cardSheet_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("captions"); // top down; empty: none written for the collection yet

    const QStringList book = {"Titolo libro:", "Codice identificativo:", "Scaffale:", "Autore:", "Nazione:",
        "Curatore:", "Codice Dewey:", "Pagine:", "Genere:", "Giudizio:", "Casa editrice:", "ISBN:",
        "Città pubblicazione:", "Anno pubblicazione:", "Volumi:", "Prezzo:", "Collana:", "Formato:",
        "Titolo originale:", "Lingua:", "Prima pubblicazione:", "Traduttore:", "Versione:", "Note:", "Prestato a:",
        "Data prestito:"};
    const QStringList dvd = {"Titolo DVD:", "Codice identificativo:", "Scaffale:", "Regia:", "Nazione:",
        "Protagonista:", "Anno:", "Durata:", "Genere:", "Giudizio:", "Distribuzione:", "Sceneggiatura:", "Collana:",
        "Prezzo:", "Cast:", "Contenuti:", "Titolo originale:", "Lingua originale:", "Altre lingue:", "Sottotitoli:",
        "Premi:", "Note:", "Prestato a:", "Scadenza prestito:"};
    for (const Collection* c : Collection::all()) {
        if (!c->sheet)
            continue;
        const QString tag = Text::utf8(c->callerTag);
        for (const bool filled : {true, false}) {
            const char* state = filled ? "filled" : "empty";
            if (c->key == "books")
                QTest::addRow("books, %s", state) << tag << filled << " Stampa scheda libro" << "Scheda Libro"
                                                  << "SCHEDA INFORMATIVA LIBRO" << book;
            else if (c->key == "dvd")
                QTest::addRow("dvd, %s", state) << tag << filled << " Stampa scheda DVD" << "Scheda DVD"
                                                << "SCHEDA INFORMATIVA DVD" << dvd;
            else
                QTest::addRow("%s, %s", c->key.data(), state) << tag << filled << "" << "" << "" << QStringList();
        }
    }
}
// clang-format on

// The card's print command offers a one-page A4 sheet: the title, a caption
// and the card control's trimmed text per row, 5 mm apart, the footer below.
void CardsTest::cardSheet()
{
    QFETCH(QString, card);
    QFETCH(bool, filled);
    QFETCH(QString, window);
    QFETCH(QString, report);
    QFETCH(QString, title);
    QFETCH(QStringList, captions);
    QVERIFY2(!captions.isEmpty(), "a collection without its hand-written sheet");
    Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(16, 42, 5)));
    const auto unfix = qScopeGuard([] { Clock::setFixed({}); });
    open(card);

    // Every input gets a value of its own, with blanks around, so that a row
    // that printed another control's text shows; "[DATE]" stays as typed.
    QHash<QString, QString> typed;
    const auto inputs = m_card->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^txt")));
    for (QWidget* input : inputs) {
        if (!filled || input->isHidden() || input->objectName() == QLatin1String("txtConvalida"))
            continue;
        const QString name = input->objectName();
        typed.insert(name,
            name == QLatin1String("txtNote")         ? QStringLiteral(" [DATE] ")
                : name == QLatin1String("txtTitolo") ? QStringLiteral(" \tIl barone rampante  ")
                : name == QLatin1String("txtCitta")  ? QStringLiteral("  Città di Castello")
                                                     : QStringLiteral(" %1 ").arg(typed.size()));
        Controls::setText(input, typed.value(name));
    }

    PrintLog log(false);
    bool shown = false;
    onNextModal<TfrmStampaScheda>([&](TfrmStampaScheda* print) {
        shown = true;
        QCOMPARE(print->windowTitle(), window);
        QTest::mouseClick(print->control(QStringLiteral("btnStampa")), Qt::LeftButton);
    });
    click("cmdStampa");
    QVERIFY(shown);
    QCOMPARE(log.offered.size(), 1);
    const PreparedReport& offered = log.offered.first();
    QCOMPARE(offered.name, report);
    QCOMPARE(offered.orientation, QPageLayout::Portrait);
    auto near = [](qreal a, qreal b) { return std::abs(a - b) < 1e-3; };
    QVERIFY(near(offered.size.width(), mm(210)) && near(offered.size.height(), mm(297)));
    QCOMPARE(offered.pages.size(), 1);
    const PreparedPage& page = offered.pages.first();
    QCOMPARE(page.find(QStringLiteral("titArcataSup"))->joined(), title);

    // From the paper's corner, inside 10 mm margins: captions at 12 mm,
    // values at 54 mm, rows 5 mm apart from 17.5 mm.
    QList<const PageItem*> printedCaptions, values;
    for (const PageItem& item : page.items) {
        if (item.kind != PageItem::Kind::Text)
            continue;
        if (near(item.rect.left(), mm(12)) && item.name.startsWith(QLatin1String("cap")))
            printedCaptions << &item;
        else if (near(item.rect.left(), mm(54)))
            values << &item;
    }
    const qsizetype rows = captions.size();
    QCOMPARE(printedCaptions.size(), rows);
    QCOMPARE(values.size(), rows);
    for (qsizetype i = 0; i < rows; ++i) {
        QCOMPARE(printedCaptions[i]->joined(), captions[i]);
        QVERIFY(near(printedCaptions[i]->rect.top(), mm(17.5 + 5 * double(i))));
        const PageItem* value = values[i];
        QVERIFY2(near(value->rect.top(), mm(17.5 + 5 * double(i))) && near(value->rect.width(), mm(144)), qPrintable(value->name));
        // The value element prints the card control of its name, trimmed.
        QVERIFY2(m_card->control(value->name), qPrintable(value->name));
        QCOMPARE(value->joined(), typed.value(value->name).trimmed());
    }
    QCOMPARE(values.last()->name, QStringLiteral("txtScadenza")); // the loan date on the last row
    if (filled)
        QCOMPARE(page.find(QStringLiteral("txtNote"))->joined(), QStringLiteral("[DATE]"));

    // The separator ends 0.4 mm above the last row's bottom; the footer bar
    // and its text follow 2 and 3 mm below.
    const double end = 17 + 5 * double(rows);
    QVERIFY(near(page.find(QStringLiteral("linSeparatore"))->rect.bottom(), mm(end - 0.4)));
    QVERIFY(near(page.find(QStringLiteral("shpCalce"))->rect.top(), mm(end + 2)));
    const PageItem* calce = page.find(QStringLiteral("txtCalce"));
    QVERIFY(near(calce->rect.top(), mm(end + 3)));
    // Up to the seconds; the regional long time may add a zone.
    QVERIFY2(
        calce->joined().startsWith(QStringLiteral("Stampa eseguita in data 05/03/2024 alle ore 16:42:05")), qPrintable(calce->joined()));
    int boxes = 0;
    for (const PageItem& item : page.items)
        boxes += item.kind == PageItem::Kind::Rect && item.pen.isValid() && !item.fill.isValid();
    QCOMPARE(boxes, rows);
}

// clang-format off
void CardsTest::exportBytes_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QByteArray>("expected"); // empty: the collection has no fixture yet

    // Each collection's hand-written file: reserved HTML characters, accented
    // letters, blanks, a cancelled card, and fields never exported.
    for (const Collection* c : Collection::all()) {
        const QString key = Text::latin1(c->key);
        if (key == QLatin1String("books")) {
            // The screen's fixture holds a typed edit; the archive holds Calvino.
            QTest::addRow("books: two cards") << key << twoCards()
                                              << fixture(QStringLiteral("export_due_schede.xls")).replace("?ukasz Nowak", "Calvino Italo");
            QTest::addRow("books: empty archive") << key << QByteArray() << fixture(QStringLiteral("export_vuoto.xls"));
        } else if (key == QLatin1String("dvd")) {
            const QByteArray cardBytes = card(TSchedaDVD, {{"Titolo", "Il viaggio lungo"}, {"Codice", "D-17"},
                {"Regia", "Bianchi Carlo"}, {"Protagonista", "Verdi Anna"}, {"Anno", "1959"}, {"Genere", "Drammatico"},
                {"Note", "Città & mare"}, {"Prestato", "non esportato"}, {"Annullata", "Sì"}});
            QTest::addRow("dvd") << key << cardBytes << fixture(QStringLiteral("export_dvd.xls"));
        } else if (key == QLatin1String("articles")) {
            const QByteArray cardBytes = card(TSchedaArticolo, {{"Titolo", "Il porto riapre"}, {"DataPub", "12/03/2021"},
                {"Genere", "Cronaca"}, {"Autore", "Neri Paola"}, {"Testata", "Il Tirreno"}, {"NumTestata", "71"},
                {"Testo", "Il testo intero\r\nnon esportato"}, {"Sintesi", "Navi & traghetti <di nuovo>"},
                {"Valutazione", "Ottima"}, {"Note", "Città"}, {"File01", "pagina.pdf"}});
            QTest::addRow("articles") << key << cardBytes << fixture(QStringLiteral("export_articoli.xls"));
        } else {
            QTest::addRow("%s", c->key.data()) << key << QByteArray() << QByteArray();
        }
    }
}
// clang-format on

void CardsTest::exportBytes()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, archive);
    QFETCH(QByteArray, expected);
    QVERIFY2(!expected.isEmpty(), "a collection without its hand-written spreadsheet");
    const Collection& collection = *Collection::find(key.toStdString());
    TestFolder folder;
    const QString archiveName = collection.archiveName(QStringLiteral("2021"));
    folder.write(archiveName, archive);
    const QString out = folder.file(Text::latin1(collection.exportTable->fileName));
    QVERIFY(Spreadsheet::exportArchive(*collection.exportTable, folder.file(archiveName), out));
    QCOMPARE(folder.read(Text::latin1(collection.exportTable->fileName)), expected);
}

QByteArray CardsTest::storeCard(const Values& fields)
{
    Record r(*m_kind.layout);
    for (const RequiredField& required : m_card->collection().required)
        r.setText(required.field, QStringLiteral("X"));
    if (r.has("Annullata"))
        r.setText("Annullata", QStringLiteral("No"));
    if (r.has("Convalida"))
        r.setText("Convalida", QStringLiteral("No"));
    for (const auto& [field, text] : fields)
        r.setText(field.toStdString(), text);
    m_folder->write(m_kind.archive, r.bytes());
    return r.bytes();
}

// clang-format off
void CardsTest::longStoredValuesKeptWhole_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("capacity");
    // Every field of the three cards whose typing limit is below its slot.
    const std::pair<const char*, const CardForm*> forms[] = {
        {"libri", &TfrmLibri::cardForm()}, {"dvd", &TfrmDVD::cardForm()}, {"bibliografie", &TfrmBibliografie::cardForm()}};
    QStringList found;
    for (const auto& [tag, form] : forms) {
        for (const CardForm::Field& f : form->fields) {
            const FieldDef* slot = form->collection->layout->find(f.control.substr(3));
            if (f.capacity > 0 && slot && f.capacity < slot->capacity) {
                const QString control = Text::latin1(f.control);
                found << QLatin1String(tag) + QLatin1Char(' ') + control;
                QTest::newRow(qPrintable(found.last())) << QString::fromLatin1(tag) << control << f.capacity << slot->capacity;
            }
        }
    }
    QVERIFY(found.contains(QStringLiteral("dvd txtPremi")));
}
// clang-format on

void CardsTest::longStoredValuesKeptWhole()
{
    QFETCH(QString, card);
    QFETCH(QString, control);
    QFETCH(int, limit);
    QFETCH(int, capacity);
    open(card);
    QString value;
    for (int i = 0; value.size() < capacity; ++i)
        value += QString::number(i % 10);
    const QByteArray stored = storeCard({{control.mid(3), value}});
    click("cmdPrimo");
    auto* edit = m_card->control<QLineEdit>(control);
    QCOMPARE(Controls::text(edit), value);

    // Typing may keep the stored length, never pass it.
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("xy"));
    QCOMPARE(edit->text(), value);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("xy"));
    QCOMPARE(edit->text(), value.left(capacity - 1) + QLatin1Char('x'));
    edit->setText(value); // as shown again

    click("cmdSalva");
    QCOMPARE(m_log->lastText(), QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."));
    QCOMPARE(m_folder->read(m_kind.archive), stored);

    // A new card: the typing limit again.
    click("cmdNuovo");
    edit->setFocus();
    QTest::keyClicks(edit, QString(limit + 5, QLatin1Char('7')));
    QCOMPARE(edit->text().size(), limit);
}

// clang-format off
void CardsTest::pastedLineBreaksBecomeBlanks_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("stored"); // the field as the archive gives it back
    QTest::newRow("book title, CR LF") << "libri" << "txtTitolo" << "riga1\r\nriga2" << "riga1 riga2";
    QTest::newRow("book language, a combo box, LF") << "libri" << "txtLingua" << "in\nglese" << "in glese";
    QTest::newRow("book Dewey, at its limit") << "libri" << "txtDewey" << "8\n5" << "8 5";
    QTest::newRow("dvd note, CR, LF and an empty line") << "dvd" << "txtNote" << "a\rb\n\nc" << "a b  c";
    QTest::newRow("dvd prizes, trailing break trimmed") << "dvd" << "txtPremi" << "Oscar\r\n" << "Oscar";
    QTest::newRow("article summary keeps its blanks") << "bibliografie" << "txtSintesi" << "  uno\r\ndue  " << "  uno due  ";
    QTest::newRow("article title, break at the end") << "bibliografie" << "txtTitolo" << "Fine\r\n" << "Fine ";
}
// clang-format on

void CardsTest::pastedLineBreaksBecomeBlanks()
{
    QFETCH(QString, card);
    QFETCH(QString, control);
    QFETCH(QString, pasted);
    QFETCH(QString, stored);
    open(card);
    for (const RequiredField& required : m_card->collection().required)
        Controls::setText(m_card->control(QStringLiteral("txt") + Text::utf8(required.field)), QStringLiteral("X"));
    QWidget* field = m_card->control(control);
    auto* combo = qobject_cast<QComboBox*>(field);
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(field);
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    QApplication::clipboard()->setText(pasted);
    edit->paste();
    QVERIFY2(!edit->text().contains(QLatin1Char('\n')) && !edit->text().contains(QLatin1Char('\r')), qPrintable(edit->text()));
    QCOMPARE(edit->cursorPosition(), static_cast<int>(edit->text().size()));

    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kInserted);
    Record r(*m_kind.layout);
    r.bytes() = m_folder->read(m_kind.archive);
    QCOMPARE(r.text(control.mid(3).toStdString()), stored);
}

// clang-format off
void CardsTest::articleTextShownAsStored_data()
{
    QTest::addColumn<QByteArray>("stored"); // the text slot's bytes
    QTest::addColumn<int>("lines");        // as the memo shows them
    QTest::newRow("lone LF") << QByteArray("uno\ndue\ntre") << 3;
    QTest::newRow("CR LF and lone LF") << QByteArray("uno\r\ndue\ntre\r\n") << 4;
    QTest::newRow("lone CR") << QByteArray("uno\rdue") << 2;
    QTest::newRow("non-breaking space and euro sign") << QByteArray("5\xA0\x80 al chilo") << 1;
    // 5000 bytes as stored, 5010 once each break counts as two.
    QByteArray full;
    for (int i = 0; i < 10; ++i)
        full += QByteArray(499, 'a') + '\n';
    QTest::newRow("full, lone LF") << full << 11;
}
// clang-format on

void CardsTest::articleTextShownAsStored()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, lines);
    open(QStringLiteral("bibliografie"));
    const QString text = Cp1252::decode(std::string_view(stored.constData(), static_cast<std::size_t>(stored.size())));
    const QByteArray before = storeCard({{"Testo", text}});
    {
        Record r(TSchedaArticolo);
        r.bytes() = before;
        QCOMPARE(QByteArray(r.raw("Testo").data(), static_cast<qsizetype>(r.raw("Testo").size())), stored);
    }
    auto* memo = m_card->control<QPlainTextEdit>(QStringLiteral("txtTesto"));

    // Shown, walked through and saved: no word, no change.
    click("cmdPrimo");
    QVERIFY2(m_log->entries.isEmpty(), qPrintable(m_log->lastText()));
    QCOMPARE(memo->document()->blockCount(), lines);
    QCOMPARE(Controls::text(memo), text);
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->lastText(), QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."));
    QCOMPARE(m_folder->read(QStringLiteral("2015.art")), before);
    QCOMPARE(Controls::text(memo), text);
}

// clang-format off
void CardsTest::articleTextTypedAsStored_data()
{
    QTest::addColumn<QString>("typed"); // through the keyboard or a paste
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("non-breaking space") << QStringLiteral("5\u00a0kg") << QByteArray("5\xA0kg");
    QTest::newRow("line breaks as CR LF") << QStringLiteral("uno\ndue\n") << QByteArray("uno\r\ndue\r\n");
    QTest::newRow("euro sign and accents") << QStringLiteral("\u20ac 5, citt\u00e0") << QByteArray("\x80 5, citt\xE0");
}
// clang-format on

void CardsTest::articleTextTypedAsStored()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);
    open(QStringLiteral("bibliografie"));
    Controls::setText(m_card->control(QStringLiteral("txtTitolo")), QStringLiteral("Titolo"));
    auto* memo = m_card->control<QPlainTextEdit>(QStringLiteral("txtTesto"));
    memo->setFocus();
    memo->insertPlainText(typed);
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kInserted);
    Record r(TSchedaArticolo);
    r.bytes() = m_folder->read(QStringLiteral("2015.art"));
    const std::string_view raw = r.raw("Testo");
    QCOMPARE(QByteArray(raw.data(), static_cast<qsizetype>(raw.size())), stored);
}

// clang-format off
void CardsTest::articleTextLimitCheckedAtSave_data()
{
    // A full text stored with each break form: an edit that does not
    // lengthen it never cuts it; one that does asks before the Save.
    QTest::addColumn<QString>("lineBreak");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("over");
    QTest::newRow("lone LF, as another program stores it") << "\n" << 1000 << "abcde" << 4;
    QTest::newRow("CR LF, as the program stores it") << "\r\n" << 833 << "abcde" << 2;
    QTest::newRow("lone CR") << "\r" << 1000 << "ab" << 1;
}
// clang-format on

void CardsTest::articleTextLimitCheckedAtSave()
{
    QFETCH(QString, lineBreak);
    QFETCH(int, lines);
    QFETCH(QString, typed);
    QFETCH(int, over);
    open(QStringLiteral("bibliografie"));
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("riga") + lineBreak;
    QVERIFY(text.size() <= TfrmBibliografie::kTextCapacity);
    storeCard({{"Testo", text}});
    click("cmdPrimo");
    QVERIFY(m_log->entries.isEmpty());
    auto* memo = m_card->control<QPlainTextEdit>(QStringLiteral("txtTesto"));
    const auto stored = [&] {
        Record r(TSchedaArticolo);
        r.bytes() = m_folder->read(QStringLiteral("2015.art"));
        return r.text("Testo");
    };

    // One character deleted: the text keeps its breaks, and all of it.
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Delete);
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->lastText(), QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."));
    QCOMPARE(stored(), text.mid(1));
    QCOMPARE(Controls::text(memo), text.mid(1));

    // Typed past the limit: nothing vanishes, the info line counts.
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(memo, typed);
    const QString edited = text.mid(1) + typed;
    QCOMPARE(Controls::text(memo), edited);
    QVERIFY2(m_card->panInfo()->text().contains(
                 over == 1 ? QStringLiteral("supera di 1 carattere ") : QStringLiteral("supera di %1 caratteri ").arg(over)),
        qPrintable(m_card->panInfo()->text()));

    // No: nothing written, the text stays as it is on the screen.
    m_log->clear();
    m_log->answers = {false};
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries[0].kind, Msg::Kind::Confirmation);
    QVERIFY2(m_log->entries[0].text.contains(QStringLiteral("supera di %1").arg(over)), qPrintable(m_log->entries[0].text));
    QCOMPARE(stored(), text.mid(1));
    QCOMPARE(Controls::text(memo), edited);

    // Sì: the first 5000 characters, shown as stored.
    m_log->clear();
    m_log->answers = {true};
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 2);
    QCOMPARE(stored(), edited.left(TfrmBibliografie::kTextCapacity));
    QCOMPARE(Controls::text(memo), edited.left(TfrmBibliografie::kTextCapacity));
}

// A property over random texts whose line breaks mix LF, CR LF and CR:
// after one random edit (a deletion, an insertion with or without a break,
// a replacement) and a Save, the stored record is byte for byte the old
// one with just the edited characters changed; every other break keeps its
// form, a typed one takes the text's (CR LF when it has any).
void CardsTest::articleTextEditKeepsEachBreak()
{
    open(QStringLiteral("bibliografie"));
    auto* memo = m_card->control<QPlainTextEdit>(QStringLiteral("txtTesto"));
    const quint32 seed = 20261211;
    QRandomGenerator random(seed);
    const QStringList breaks{QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")};
    const QString letters = QStringLiteral("abc \u00e0\u20ac");
    for (int round = 0; round < 150; ++round) {
        // The text as units: a character, or a break in its own form.
        // It starts and ends with a letter, which the edit leaves alone:
        // blanks at the ends are the Save's to trim.
        QStringList units{QStringLiteral("x")};
        for (int i = random.bounded(0, 120); i > 0; --i)
            units << (random.bounded(4) == 0 ? breaks[random.bounded(3)] : QString(letters[random.bounded(letters.size())]));
        units << QStringLiteral("y");
        const QString text = units.join(QString());
        // A lone CR drawn before a lone LF makes one CR LF: the units read
        // back from the text.
        units.clear();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool crLf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            units << (crLf ? QStringLiteral("\r\n") : QString(text[i]));
            i += crLf ? 1 : 0;
        }
        const QByteArray before = storeCard({{"Testo", text}});
        click("cmdPrimo");
        QCOMPARE(Controls::text(memo), text);

        const int at = random.bounded(1, int(units.size()));
        const int removed = random.bounded(0, std::min<int>(4, int(units.size()) - 1 - at) + 1);
        const int kind = random.bounded(3); // 0 delete, 1 insert, 2 replace
        QString typed;
        if (kind != 0) {
            for (int i = random.bounded(1, 4); i > 0; --i)
                typed += random.bounded(3) == 0 ? QStringLiteral("\n") : QStringLiteral("z");
        }
        const int gone = kind == 1 ? 0 : removed;
        QTextCursor cursor(memo->document());
        cursor.setPosition(at);
        cursor.setPosition(at + gone, QTextCursor::KeepAnchor);
        cursor.insertText(typed);

        const bool hasCrLf = text.contains(QStringLiteral("\r\n"));
        const QString newBreak = hasCrLf || (!text.contains(u'\n') && !text.contains(u'\r')) ? QStringLiteral("\r\n")
            : text.contains(u'\n')                                                           ? QStringLiteral("\n")
                                                                                             : QStringLiteral("\r");
        // What the edit changed, as the screen shows it: the units before
        // and after it keep their form (the end looked at first, as a
        // break typed over a break shows nothing changed there), the
        // characters in between are the new ones, a break in the text's form.
        QString visible;
        for (const QString& u : units)
            visible += u.size() == 1 && u != QStringLiteral("\r") ? u : QStringLiteral("\n");
        const QString now = visible.left(at) + typed + visible.mid(at + gone);
        qsizetype tail = 0;
        while (tail < visible.size() && tail < now.size() && visible[visible.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        qsizetype head = 0;
        while (head < visible.size() - tail && head < now.size() - tail && visible[head] == now[head])
            ++head;
        QStringList edited = units.mid(0, head);
        for (const QChar ch : QStringView(now).mid(head, now.size() - tail - head))
            edited << (ch == u'\n' ? newBreak : QString(ch));
        edited += units.mid(units.size() - tail);
        // A lone CR that the edit brings before a lone LF would make one
        // CR LF of two breaks: it takes the text's break instead.
        for (qsizetype i = 0; i + 1 < edited.size(); ++i) {
            if (edited[i] == QStringLiteral("\r") && edited[i + 1] == QStringLiteral("\n"))
                edited[i] = newBreak;
        }
        const QString expected = edited.join(QString());
        const auto shown = [](QString t) { return t.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n")); };
        QVERIFY2(Controls::text(memo) == expected,
            qPrintable(QStringLiteral("seed %1, round %2: %3 at %4, %5 gone, \"%6\" typed into \"%7\": \"%8\" instead of \"%9\"")
                           .arg(seed)
                           .arg(round)
                           .arg(kind)
                           .arg(at)
                           .arg(gone)
                           .arg(shown(typed), shown(text), shown(Controls::text(memo)), shown(expected))));
        m_log->clear();
        click("cmdSalva");
        Record record(TSchedaArticolo);
        record.bytes() = before;
        record.setText("Testo", expected);
        QCOMPARE(m_folder->read(QStringLiteral("2015.art")), record.bytes());
    }
}

// clang-format off
void CardsTest::charactersTheArchiveLacks_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // also what the card shows after the Save
    QTest::addColumn<bool>("lost");
    QTest::newRow("book title, omega") << "libri" << "txtTitolo" << QStringLiteral("\u03a9mega") << "?mega" << true;
    QTest::newRow("book genre, a combo box") << "libri" << "txtGenere" << QStringLiteral("poesia \u2192 ") << "poesia ?" << true;
    QTest::newRow("dvd note, arrow") << "dvd" << "txtNote" << QStringLiteral(" freccia \u2192 qui ") << "freccia ? qui" << true;
    QTest::newRow("article title, double acute") << "bibliografie" << "txtTitolo" << QStringLiteral(" Erd\u0151s ") << " Erd?s " << true;
    QTest::newRow("article text") << "bibliografie" << "txtTesto" << QStringLiteral("a\r\n\u2192b") << "a\r\n?b" << true;
    QTest::newRow("book title, all in the code page") << "libri" << "txtTitolo" << QStringLiteral("Citt\u00e0 \u20ac") << QStringLiteral("Citt\u00e0 \u20ac") << false;
}
// clang-format on

void CardsTest::charactersTheArchiveLacks()
{
    QFETCH(QString, card);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(bool, lost);
    open(card);
    for (const RequiredField& required : m_card->collection().required)
        Controls::setText(m_card->control(QStringLiteral("txt") + Text::utf8(required.field)), QStringLiteral("X"));
    Controls::setText(m_card->control(control), typed);
    const QString kept = QStringLiteral("Alcuni caratteri non possono essere conservati in archivio e sono stati salvati come \"?\".");
    m_card->panInfo()->clear();
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kInserted);
    Record r(*m_kind.layout);
    r.bytes() = m_folder->read(m_kind.archive);
    QCOMPARE(r.text(control.mid(3).toStdString()), stored);
    QCOMPARE(m_card->panInfo()->text() == kept, lost);
    if (lost)
        QCOMPARE(Controls::text(m_card->control(control)), stored);
    else
        QCOMPARE(Controls::text(m_card->control(control)), typed);

    // The notice stays while the pointer is still over Salva (the box was
    // closed with Enter), until the user's next key or click on the card.
    QWidget* salva = m_card->control(QStringLiteral("cmdSalva"));
    const auto pointerOver = [&] {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(salva, &enter);
    };
    pointerOver();
    QCOMPARE(m_card->panInfo()->text() == kept, lost);
    QTest::keyClick(m_card->control(control), Qt::Key_End);
    pointerOver();
    QVERIFY2(m_card->panInfo()->text().startsWith(QStringLiteral("Salva")), qPrintable(m_card->panInfo()->text()));
}

// clang-format off
void CardsTest::loanWithoutItsDateIsTold_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("borrower");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("notice"); // empty: the info line keeps what it had
    QTest::newRow("dvd lent without a due date") << "dvd" << " Rossi " << " "
        << "Attenzione: la scheda indica un prestito a Rossi ma non la data di restituzione: un DVD senza scadenza risulta disponibile.";
    QTest::newRow("dvd lent with a due date") << "dvd" << "Rossi" << "01/04/2025" << "";
    QTest::newRow("dvd not lent") << "dvd" << "" << "" << "";
    QTest::newRow("book lent without a date: no such rule") << "libri" << "Rossi" << "" << "";
}
// clang-format on

void CardsTest::loanWithoutItsDateIsTold()
{
    QFETCH(QString, card);
    QFETCH(QString, borrower);
    QFETCH(QString, date);
    QFETCH(QString, notice);
    open(card);
    for (const RequiredField& required : m_card->collection().required)
        Controls::setText(m_card->control(QStringLiteral("txt") + Text::utf8(required.field)), QStringLiteral("X"));
    type({{QStringLiteral("txtPrestato"), borrower}, {QStringLiteral("txtScadenza"), date}});
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kInserted);
    if (notice.isEmpty()) {
        QVERIFY2(!m_card->panInfo()->text().contains(QStringLiteral("prestito a")), qPrintable(m_card->panInfo()->text()));
    } else {
        QCOMPARE(m_card->panInfo()->text(), notice);
        grabForALook(m_card, QStringLiteral("dvd-senza-scadenza"));
    }
}

// clang-format off
void CardsTest::longValuesShowTheirBeginning_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("field");
    QTest::newRow("book title") << "libri" << "Titolo";
    QTest::newRow("dvd title") << "dvd" << "Titolo";
    QTest::newRow("dvd genre, a combo box") << "dvd" << "Genere";
    QTest::newRow("article title") << "bibliografie" << "Titolo";
}
// clang-format on

void CardsTest::longValuesShowTheirBeginning()
{
    QFETCH(QString, card);
    QFETCH(QString, field);
    open(card);
    const QString value = QStringLiteral("INIZIO ") + QString(200, QLatin1Char('x')) + QStringLiteral(" FINE");
    const QByteArray stored = storeCard({{field, value.left(static_cast<int>(m_kind.layout->find(field.toStdString())->capacity) - 1)}});
    QVERIFY(!stored.isEmpty());
    click("cmdPrimo");
    QWidget* control = m_card->control(QStringLiteral("txt") + field);
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        edit = combo->lineEdit();
    QVERIFY(edit);
    QVERIFY(Controls::text(control).startsWith(QStringLiteral("INIZIO ")));
    // The beginning is in sight: the edit is scrolled to its first character.
    QCOMPARE(edit->cursorPosition(), 0);
    grabForALook(
        m_card, QStringLiteral("valore-lungo-") + QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-')));
}

// clang-format off
void CardsTest::walkingThroughKeepsValues_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<Values>("fields"); // stored; each differs from a list entry in case only
    QTest::newRow("book") << "libri"
                          << Values{{"Lingua", "inglese"}, {"Genere", "dizionario"}, {"Isbn", "88-04-x"}, {"Note", "riga\r\nriga"}};
    QTest::newRow("dvd") << "dvd" << Values{{"Lingua", "inglese"}, {"Genere", "western"}, {"Note", "riga\nriga"}};
}
// clang-format on

void CardsTest::walkingThroughKeepsValues()
{
    QFETCH(QString, card);
    QFETCH(Values, fields);
    open(card);
    const QByteArray stored = storeCard(fields);
    click("cmdPrimo");
    // Enter through the whole ring and once more, each key going where the
    // focus is, as the window system sends it.
    m_card->control(QStringLiteral("txtTitolo"))->setFocus();
    for (std::size_t i = 0; i <= m_card->form().fields.size(); ++i) {
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return);
    }
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    for (const auto& [field, text] : fields)
        QCOMPARE(Controls::text(m_card->control(QStringLiteral("txt") + field)), text);
    click("cmdSalva");
    QCOMPARE(m_folder->read(m_kind.archive), stored);

    // A pick from the list still puts the entry in.
    auto* lingua = m_card->control<QComboBox>(QStringLiteral("txtLingua"));
    lingua->setCurrentIndex(lingua->findText(QStringLiteral("Inglese")));
    QCOMPARE(Controls::text(lingua), QStringLiteral("Inglese"));
}

// clang-format off
void CardsTest::listScrollsToTheEndOfTheLongestLine_data()
{
    QTest::addColumn<QString>("card");
    for (const Collection* c : Collection::all())
        QTest::newRow(c->callerTag.data()) << Text::utf8(c->callerTag);
}
// clang-format on

void CardsTest::listScrollsToTheEndOfTheLongestLine()
{
    QFETCH(QString, card);
    open(card);
    // Every field full, so that the line is as long as it gets; one short
    // card beside it.
    Values full;
    for (const FieldDef& f : m_kind.layout->fields) {
        if (f.name != "Annullata" && f.name != "Convalida" && f.name != "Testo")
            full.append({Text::latin1(f.name), QString(f.capacity, QLatin1Char('W'))});
    }
    const QByteArray longCard = storeCard(full);
    storeCard({{"Titolo", "W corto"}});
    m_folder->write(m_kind.archive, longCard + m_folder->read(m_kind.archive));

    std::unique_ptr<TfrmTrova> search;
    if (card == QLatin1String("libri"))
        search = std::make_unique<TfrmTrovaLibri>(m_card);
    else if (card == QLatin1String("dvd"))
        search = std::make_unique<TfrmTrovaDVD>(m_card);
    else
        search = std::make_unique<TfrmTrovaBibliografie>(m_card);
    search->setCallerTag(m_kind.tag);
    search->show();
    search->control<QLineEdit>(QStringLiteral("txtTitolo"))->setText(QStringLiteral("W"));
    QTest::mouseClick(search->control(QStringLiteral("btnCerca")), Qt::LeftButton);
    LineList* list = search->lstRecords();
    QCOMPARE(list->count(), 2);
    QApplication::processEvents();
    list->doItemsLayout();
    const QString longest = list->line(0).size() > list->line(1).size() ? list->line(0) : list->line(1);
    const int needed = QFontMetrics(list->font()).horizontalAdvance(longest);
    // Scrolled to its end, the list shows the line's last character.
    QScrollBar* bar = list->horizontalScrollBar();
    QVERIFY2(bar->maximum() + list->viewport()->width() >= needed,
        qPrintable(QStringLiteral("%1 + %2 < %3").arg(bar->maximum()).arg(list->viewport()->width()).arg(needed)));
    bar->setValue(bar->maximum());
    const QRect item = list->visualRect(list->model()->index(0, 0));
    QVERIFY(item.left() + needed <= list->viewport()->width() + QFontMetrics(list->font()).horizontalAdvance(QLatin1Char(' ')) * 2);
}

QTEST_MAIN(CardsTest)
#include "test_cards.moc"
