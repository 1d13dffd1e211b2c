#include "CatalogueServers.h"
#include "CoreSupport.h"
#include "MarcFixtures.h"

#include "lookup/Catalogue.h"
#include "lookup/CatalogueClient.h"
#include "lookup/CatalogueLookup.h"
#include "lookup/CatalogueMerge.h"
#include "lookup/Isbn.h"
#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/text/ResourceText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <future>
#include <memory>

namespace {

using Status = CatalogueAnswer::Status;
using Syntax = Catalogue::Syntax;

const QString kData = QStringLiteral(TOMARIA_TEST_DATA "/lookup/");

QByteArray fixture(const QString& name)
{
    QFile f(kData + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "Field=value|Field=value" in the card's order.
QString flat(const CatalogueRecord& r)
{
    QStringList parts;
    for (const auto& [field, value] : r.fields)
        parts << field + QLatin1Char('=') + value;
    return parts.join(QLatin1Char('|'));
}

QByteArray marcxml(const QByteArray& fields, const QByteArray& leader = "00000nam0 2200000   450 ")
{
    return "<record xmlns=\"http://www.loc.gov/MARC21/slim\"><leader>" + leader + "</leader>" + fields + "</record>";
}

Catalogue catalogueAt(const QString& address, Syntax syntax = Syntax::Marc21)
{
    Catalogue c;
    [[maybe_unused]] const bool ok = Catalogue::fromAddress(address, syntax, &c);
    return c;
}

} // namespace

class LookupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void isbnForms_data();
    void isbnForms();
    void mergeFillsOffersAndKeeps_data();
    void mergeFillsOffersAndKeeps();
    void mapping_data();
    void mapping();
    void trimEnd_data();
    void trimEnd();
    void languagesAreTheCardsOwn();
    void marc8RecordDecoded();
    void nonSortingMarksInIso2709_data();
    void nonSortingMarksInIso2709();
    void isbnAskedForIsKept_data();
    void isbnAskedForIsKept();
    void addresses_data();
    void addresses();
    void settingsFromIni();

    void zebraAnswers_data();
    void zebraAnswers();
    void ztestAnswersBothProtocols();
    void badServers_data();
    void badServers();
    void answerOverItsBudget();
    void unknownHostIsRefused();
    void cancelStopsAWaitingCatalogue();
    void catalogueOrderAndMessages();

private:
    std::unique_ptr<ZebraServer> m_zebra;
    std::unique_ptr<ZtestServer> m_ztest;
};

void LookupTest::initTestCase()
{
    m_zebra = std::make_unique<ZebraServer>();
    QVERIFY2(m_zebra->started(), qPrintable(m_zebra->failure()));
    m_ztest = std::make_unique<ZtestServer>();
    QVERIFY(m_ztest->started());
}

void LookupTest::cleanupTestCase()
{
    m_ztest.reset();
    m_zebra.reset();
}

// clang-format off
void LookupTest::isbnForms_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("forms");
    QTest::newRow("ISBN-13 with hyphens") << "978-88-04-33948-9" << QStringList{"9788804339489", "8804339489"};
    QTest::newRow("ISBN-10 with blanks, x") << " 88 06 14245 3 " << QStringList{"8806142453", "9788806142452"};
    QTest::newRow("ISBN-10 ending in x") << "0-8044-2957-x" << QStringList{"080442957X", "9780804429573"};
    QTest::newRow("979 has no ISBN-10") << "979-10-90636-07-1" << QStringList{"9791090636071"};
    QTest::newRow("too short") << "88-04" << QStringList{};
    QTest::newRow("letters") << "ISBN88043394" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
}
// clang-format on

void LookupTest::isbnForms()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, forms);
    QCOMPARE(Isbn::forms(typed), forms);
}

// clang-format off
void LookupTest::mapping_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<int>("syntax");
    QTest::addColumn<QString>("expected");

    QTest::newRow("MARC 21, English, 264, series, Dewey")
        << fixture("marc21/hobbit.xml") << int(Syntax::Marc21)
        << "Titolo=The hobbit : or, There and back again|Autore=Tolkien, J. R. R.|Dewey=823|Pagine=310 p."
           "|Editore=HarperCollins|Isbn=9780007487295|Citta=London|Anno=2011|Collana=Modern classics|Lingua=Inglese";
    QTest::newRow("MARC 21, two authors, translator, original title")
        << fixture("marc21/apocalisse.xml") << int(Syntax::Marc21)
        << "Titolo=Buona Apocalisse a tutti!|Autore=Pratchett, Terry; Gaiman, Neil|Dewey=823|Pagine=397 p."
           "|Editore=Mondadori|Isbn=9788804571285|Citta=Milano|Anno=2007|Collana=Oscar bestsellers"
           "|Originale=Good omens|Lingua=Italiano|Traduttore=Fusari, Luca";
    QTest::newRow("MARC 21, no Dewey, editor, accents, year in brackets")
        << fixture("marc21/classici.xml") << int(Syntax::Marc21)
        << QString::fromUtf8("Titolo=Perché leggere i classici|Autore=Calvino, Italo|Curatore=Calvino, Esther"
                             "|Pagine=XII, 294 p.|Editore=Società tipografica editrice|Isbn=8804339489"
                             "|Citta=Città di Castello|Anno=1991|Lingua=Italiano");
    QTest::newRow("UNIMARC, Italian")
        << fixture("unimarc/sistema.xml") << int(Syntax::Unimarc)
        << "Titolo=Il sistema periodico|Autore=Levi, Primo|Dewey=853|Pagine=230 p.|Editore=Einaudi"
           "|Isbn=8806142453|Citta=Torino|Anno=1975|Collana=Nuovi coralli|Lingua=Italiano";
    // Pagine holds 12 characters: the card keeps "XXXII, 243 p".
    QTest::newRow("UNIMARC, translator 730, editor 340, 500 original title")
        << fixture("unimarc/faro.xml") << int(Syntax::Unimarc)
        << "Titolo=Gita al faro : romanzo|Autore=Woolf, Virginia|Curatore=Fortunati, Vittoria|Dewey=823"
           "|Pagine=XXXII, 243 p|Editore=Feltrinelli|Isbn=9788807185120|Citta=Milano|Anno=2014"
           "|Collana=Universale economica Feltrinelli. I classici|Originale=To the lighthouse|Lingua=Italiano"
           "|Traduttore=Fusini, Nadia";
    QTest::newRow("UNIMARC, 200 f when no 700, 454 t, 214")
        << marcxml("<datafield tag=\"200\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Lettere</subfield>"
                   "<subfield code=\"f\">Seneca</subfield></datafield>"
                   "<datafield tag=\"214\" ind1=\" \" ind2=\"0\"><subfield code=\"a\">Roma</subfield>"
                   "<subfield code=\"c\">Carocci</subfield><subfield code=\"d\">2021</subfield></datafield>"
                   "<datafield tag=\"454\" ind1=\" \" ind2=\"1\"><subfield code=\"t\">Epistulae morales ad Lucilium</subfield></datafield>"
                   "<datafield tag=\"101\" ind1=\" \" ind2=\" \"><subfield code=\"a\">lat</subfield></datafield>")
        << int(Syntax::Unimarc)
        << "Titolo=Lettere|Autore=Seneca|Editore=Carocci|Citta=Roma|Anno=2021|Originale=Epistulae morales ad Lucilium|Lingua=Latino";
    QTest::newRow("cut to capacity, Windows-1252 '?', combining marks composed, unknown language")
        << marcxml("<controlfield tag=\"008\">070101s2007    it            000 1 xxx d</controlfield>"
                   "<datafield tag=\"100\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Dostoevskij, Fedor Michajlovic detto anche "
                   "Достоевский, Фёдор</subfield></datafield>"
                   "<datafield tag=\"245\" ind1=\"1\" ind2=\"0\"><subfield code=\"a\">Citta\xcc\x80 e\xcc\x81 \xe2\x82\xac</subfield></datafield>"
                   "<datafield tag=\"082\" ind1=\" \" ind2=\" \"><subfield code=\"a\">89</subfield></datafield>",
               "00000cam  2200000 a 4500")
        << int(Syntax::Marc21)
        << QString::fromUtf8("Titolo=Città é €|Autore=Dostoevskij, Fedor Michajlovic detto anche ???????");
    // The union catalogue marks the article it does not sort on, and puts
    // ISBD punctuation at the start of UNIMARC subfields.
    QTest::newRow("UNIMARC, non-sorting marks, leading punctuation")
        << marcxml("<datafield tag=\"200\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">&#x88;L'&#x89;altra faccia della spirale</subfield>"
                   "<subfield code=\"e\">: romanzo</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\" \" ind2=\"1\"><subfield code=\"a\">Asimov</subfield><subfield code=\"b\">, Isaac</subfield>"
                   "<subfield code=\"4\">070</subfield></datafield>"
                   "<datafield tag=\"702\" ind1=\" \" ind2=\"1\"><subfield code=\"a\">Serra</subfield><subfield code=\"b\">, Laura</subfield>"
                   "<subfield code=\"4\">730</subfield></datafield>"
                   "<datafield tag=\"210\" ind1=\" \" ind2=\" \"><subfield code=\"a\">Milano</subfield><subfield code=\"c\">: Mondadori</subfield>"
                   "<subfield code=\"d\">, 1996</subfield></datafield>"
                   "<datafield tag=\"225\" ind1=\"2\" ind2=\" \"><subfield code=\"a\">&#x88;I &#x89;classici</subfield>"
                   "<subfield code=\"v\">; 12</subfield></datafield>")
        << int(Syntax::Unimarc)
        << "Titolo=L'altra faccia della spirale : romanzo|Autore=Asimov, Isaac|Editore=Mondadori|Citta=Milano|Anno=1996"
           "|Collana=I classici|Traduttore=Serra, Laura";
    QTest::newRow("MARC 21, MARC-8 non-sorting marks as decoded, roles in $e")
        << marcxml("<datafield tag=\"245\" ind1=\"1\" ind2=\"0\"><subfield code=\"a\">&#x98;The &#x9c;hobbit /</subfield></datafield>"
                   "<datafield tag=\"100\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Tolkien, J. R. R.</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Lee, Alan,</subfield><subfield code=\"e\">ill.</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Eco, Umberto,</subfield><subfield code=\"e\">introd.</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Gould, Glenn,</subfield><subfield code=\"e\">performer.</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Tolkien, Christopher,</subfield><subfield code=\"e\">editor.</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Anderson, Douglas A.,</subfield><subfield code=\"e\">author.</subfield></datafield>"
                   "<datafield tag=\"700\" ind1=\"1\" ind2=\" \"><subfield code=\"a\">Fusari, Luca</subfield><subfield code=\"e\">trad.</subfield></datafield>",
               "00000cam  2200000 a 4500")
        << int(Syntax::Marc21)
        << "Titolo=The hobbit|Autore=Tolkien, J. R. R.; Anderson, Douglas A.|Curatore=Tolkien, Christopher|Traduttore=Fusari, Luca";
    QTest::newRow("not MARC at all") << QByteArray("<html><body>no</body></html>") << int(Syntax::Marc21) << QString();
}
// clang-format on

void LookupTest::mapping()
{
    QFETCH(QByteArray, xml);
    QFETCH(int, syntax);
    QFETCH(QString, expected);
    QVERIFY(!xml.isEmpty());
    MarcRecord r;
    if (expected.isEmpty()) {
        QVERIFY(!r.readXml(xml) || MarcMapping::card(r, Syntax(syntax)).fields.isEmpty());
        return;
    }
    QVERIFY(r.readXml(xml));
    QCOMPARE(flat(MarcMapping::card(r, Syntax(syntax))), expected);
}

// clang-format off
void LookupTest::trimEnd_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("slash") << "Il titolo /" << "Il titolo";
    QTest::newRow("colon") << "Milano :" << "Milano";
    QTest::newRow("semicolon") << "397 p. ;" << "397 p.";
    QTest::newRow("comma") << "Mondadori," << "Mondadori";
    QTest::newRow("full stop") << "Calvino, Italo." << "Calvino, Italo";
    QTest::newRow("initial kept") << "Tolkien, J. R. R." << "Tolkien, J. R. R.";
    QTest::newRow("ellipsis kept") << "E poi..." << "E poi...";
    QTest::newRow("several") << "Good omens. ;" << "Good omens";
}
// clang-format on

void LookupTest::trimEnd()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(MarcMapping::trimEnd(in), out);
}

void LookupTest::languagesAreTheCardsOwn()
{
    // Every name the mapping can give is one of the card's list.
    const QStringList list = ResourceText::lines(QStringLiteral(":/lists/lingue.txt"));
    QVERIFY(list.size() > 100);
    const QStringList codes{"ita", "eng", "fre", "fra", "ger", "deu", "spa", "por", "lat", "grc", "gre", "ell", "rus", "jpn", "chi", "zho",
        "ara", "dut", "nld", "swe", "dan", "nor", "fin", "pol", "cze", "ces", "hun", "rum", "ron", "tur", "heb", "hin", "kor", "cat", "gle",
        "wel", "cym", "alb", "sqi", "hrv", "srp", "slv", "slo", "slk", "bul", "ukr", "per", "fas", "arm", "hye", "baq", "eus", "ice", "isl",
        "est", "lav", "lit", "glg", "srd", "fur", "lad", "epo", "yid"};
    for (const QString& c : codes) {
        const QString name = MarcMapping::language(c);
        QVERIFY2(list.contains(name), qPrintable(c + QStringLiteral(" -> ") + name));
    }
    QCOMPARE(MarcMapping::language(u"ITA"), QStringLiteral("Italiano"));
    QVERIFY(MarcMapping::language(u"zzz").isEmpty());
}

void LookupTest::marc8RecordDecoded()
{
    // The record as ISO 2709 in MARC-8 (accents as combining marks before
    // the letter), made by YAZ's own converter, read back through YAZ.
    QProcess dump;
    dump.start(QStringLiteral("yaz-marcdump"),
        {"-i", "marcxml", "-o", "marc", "-f", "utf-8", "-t", "marc-8", kData + QStringLiteral("marc21/classici.xml")});
    QVERIFY(dump.waitForFinished(10000));
    const QByteArray iso = dump.readAllStandardOutput();
    QVERIFY(iso.size() > 100);
    QVERIFY(!iso.contains("\xc3\xa9")); // no UTF-8 "é" left: MARC-8 bytes
    MarcRecord r;
    QVERIFY(r.readIso2709(iso, "marc-8"));
    const CatalogueRecord card = MarcMapping::card(r, Syntax::Marc21);
    QCOMPARE(card.value(u"Titolo"), QString::fromUtf8("Perché leggere i classici"));
    QCOMPARE(card.value(u"Citta"), QString::fromUtf8("Città di Castello"));
    QVERIFY(!r.readIso2709("not a record at all", "marc-8"));
}

// clang-format off
void LookupTest::nonSortingMarksInIso2709_data()
{
    QTest::addColumn<QByteArray>("iso");
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<int>("syntax");
    QTest::addColumn<QString>("title");
    // UNIMARC writes the marks as ESC H and ESC I.
    QTest::newRow("UNIMARC, ESC H/ESC I") << iso2709("00000nam0 2200000   450 ",
        {{"200", "1 \x1f" "a\x1bHL'\x1bIaltra faccia della spirale"}}) << QByteArray("utf-8") << int(Syntax::Unimarc)
        << "L'altra faccia della spirale";
    QTest::newRow("UNIMARC, UTF-8 U+0088/U+0089") << iso2709("00000nam0 2200000   450 ",
        {{"200", "1 \x1f" "a\xc2\x88L'\xc2\x89" "altra faccia della spirale"}}) << QByteArray("utf-8") << int(Syntax::Unimarc)
        << "L'altra faccia della spirale";
    QTest::newRow("MARC 21, MARC-8 NSB/NSE") << iso2709("00000cam  2200000 a 4500",
        {{"245", "10\x1f" "a\x88The \x89hobbit"}}) << QByteArray("marc-8") << int(Syntax::Marc21) << "The hobbit";
    QTest::newRow("MARC 21, UTF-8 U+0098/U+009C") << iso2709("00000cam a2200000 a 4500",
        {{"245", "10\x1f" "a\xc2\x98The \xc2\x9chobbit"}}) << QByteArray("marc-8") << int(Syntax::Marc21) << "The hobbit";
}
// clang-format on

void LookupTest::nonSortingMarksInIso2709()
{
    QFETCH(QByteArray, iso);
    QFETCH(QByteArray, charset);
    QFETCH(int, syntax);
    QFETCH(QString, title);
    MarcRecord r;
    QVERIFY(r.readIso2709(iso, charset.constData()));
    QCOMPARE(MarcMapping::card(r, Syntax(syntax)).value(u"Titolo"), title);
}

// clang-format off
void LookupTest::isbnAskedForIsKept_data()
{
    QTest::addColumn<int>("syntax");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("kept");
    QTest::newRow("MARC 21, the second asked") << int(Syntax::Marc21) << "978-88-04-66823-7" << "9788804668237";
    QTest::newRow("MARC 21, the ISBN-10 form of the third") << int(Syntax::Marc21) << "9788806142452" << "8806142453";
    QTest::newRow("MARC 21, none asked: the first") << int(Syntax::Marc21) << "" << "9788804339489";
    QTest::newRow("UNIMARC, hyphens gone") << int(Syntax::Unimarc) << "8806142453" << "8806142453";
    QTest::newRow("UNIMARC, not among them: the first") << int(Syntax::Unimarc) << "9780000000002" << "9788804339489";
}
// clang-format on

void LookupTest::isbnAskedForIsKept()
{
    QFETCH(int, syntax);
    QFETCH(QString, asked);
    QFETCH(QString, kept);
    const bool m21 = Syntax(syntax) == Syntax::Marc21;
    const QByteArray tag = m21 ? "020" : "010";
    // Several ISBNs, in the forms each format uses: qualifiers, hyphens.
    const QByteArray xml = marcxml("<datafield tag=\"" + tag
        + "\" ind1=\" \" ind2=\" \"><subfield code=\"a\">978-88-04-33948-9 (broch\xc3\xa9)</subfield></datafield>"
          "<datafield tag=\""
        + tag
        + "\" ind1=\" \" ind2=\" \"><subfield code=\"a\">9788804668237</subfield><subfield code=\"b\">rileg.</subfield></datafield>"
          "<datafield tag=\""
        + tag
        + "\" ind1=\" \" ind2=\" \"><subfield code=\"a\">88-06-14245-3</subfield></datafield>"
          "<datafield tag=\""
        + QByteArray(m21 ? "245" : "200") + "\" ind1=\"1\" ind2=\"0\"><subfield code=\"a\">Titolo</subfield></datafield>");
    MarcRecord r;
    QVERIFY(r.readXml(xml));
    MarcMapping::ReadOptions options;
    options.isbns = Isbn::forms(asked);
    QCOMPARE(MarcMapping::card(r, Syntax(syntax), options).value(u"Isbn"), kept);
}

// clang-format off
void LookupTest::addresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("zoom");
    QTest::newRow("z3950") << "z3950://opac.example.org:2100/nopac" << true << "tcp:opac.example.org:2100/nopac";
    QTest::newRow("sru http") << "http://127.0.0.1:9000/LCDB" << true << "http://127.0.0.1:9000/LCDB";
    QTest::newRow("sru https") << "https://sru.example.org/sru/cat" << true << "https://sru.example.org/sru/cat";
    QTest::newRow("z3950 without port") << "z3950://host/db" << false << "";
    QTest::newRow("z3950 without database") << "z3950://host:210" << false << "";
    QTest::newRow("other scheme") << "ftp://host:21/x" << false << "";
    QTest::newRow("no scheme") << "host:210/db" << false << "";
}
// clang-format on

void LookupTest::addresses()
{
    QFETCH(QString, address);
    QFETCH(bool, ok);
    QFETCH(QString, zoom);
    Catalogue c;
    QCOMPARE(Catalogue::fromAddress(address, Syntax::Unimarc, &c), ok);
    if (ok) {
        QCOMPARE(c.zoomAddress(), zoom);
        QCOMPARE(c.syntax, Syntax::Unimarc);
    }
}

void LookupTest::settingsFromIni()
{
    TestFolder folder;
    // No section: the public catalogues, the national one first.
    CatalogueSettings none = CatalogueSettings::read(folder.file("Tomaria.ini"));
    QCOMPARE(none.catalogues.size(), 2);
    QCOMPARE(none.catalogues[0].zoomAddress(), QStringLiteral("tcp:opac.sbn.it:2100/nopac"));
    QCOMPARE(none.catalogues[0].syntax, Syntax::Unimarc);
    QCOMPARE(none.catalogues[1].zoomAddress(), QStringLiteral("tcp:lx2.loc.gov:210/LCDB"));
    QCOMPARE(none.catalogues[1].syntax, Syntax::Marc21);
    QCOMPARE(none.timeoutMs, 8000);

    folder.write("Tomaria.ini",
        "[Prestiti]\r\nGiorni=30\r\n[Cataloghi]\r\nAttesa=3\r\n"
        "Nome1=Locale\r\nProtocollo1=SRU\r\nIndirizzo1=http://127.0.0.1:9000/db\r\nSintassi1=MARC 21\r\n"
        "Nome2=Senza database\r\nProtocollo2=Z39.50\r\nIndirizzo2=host:210\r\nSintassi2=UNIMARC\r\n"
        "Nome3=Polo\r\nProtocollo3=z39.50\r\nIndirizzo3=polo.example.org:2100\r\nDatabase3=cat\r\nSintassi3=unimarc\r\n");
    CatalogueSettings s = CatalogueSettings::read(folder.file("Tomaria.ini"));
    QCOMPARE(s.timeoutMs, 3000);
    QCOMPARE(s.catalogues.size(), 2);
    QCOMPARE(s.catalogues[0].name, QStringLiteral("Locale"));
    QCOMPARE(s.catalogues[0].protocol, Catalogue::Protocol::Sru);
    QCOMPARE(s.catalogues[1].zoomAddress(), QStringLiteral("tcp:polo.example.org:2100/cat"));
    QCOMPARE(s.catalogues[1].syntax, Syntax::Unimarc);
    QCOMPARE(s.faults, QStringList{"Senza database"});
}

// clang-format off
void LookupTest::zebraAnswers_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("syntax");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("titles");

    const QString e = QString::fromUtf8("Perché leggere i classici");
    QTest::newRow("Z39.50 MARC 21, MARC-8 accents, ISBN-13 typed for an ISBN-10 record")
        << "z3950" << "libri21" << int(Syntax::Marc21) << "978-88-04-33948-9" << int(Status::Records) << QStringList{e};
    QTest::newRow("Z39.50 UNIMARC") << "z3950" << "libriuni" << int(Syntax::Unimarc) << "978 88 07 18512 0"
                                    << int(Status::Records) << QStringList{"Gita al faro : romanzo"};
    QTest::newRow("Z39.50 UNIMARC, ISBN-10 typed for a hyphenated ISBN-10")
        << "z3950" << "libriuni" << int(Syntax::Unimarc) << "8806142453" << int(Status::Records)
        << QStringList{"Il sistema periodico"};
    QTest::newRow("Z39.50 two records") << "z3950" << "libri21" << int(Syntax::Marc21) << "9788804668237"
                                        << int(Status::Records) << QStringList{"Il barone rampante", "Il barone rampante"};
    QTest::newRow("Z39.50 no record") << "z3950" << "libri21" << int(Syntax::Marc21) << "9780000000002"
                                      << int(Status::NoRecord) << QStringList{};
    QTest::newRow("SRU MARC 21") << "sru" << "libri21" << int(Syntax::Marc21) << "978-0-00-748729-5"
                                 << int(Status::Records) << QStringList{"The hobbit : or, There and back again"};
    QTest::newRow("SRU no record") << "sru" << "libri21" << int(Syntax::Marc21) << "9780000000002"
                                   << int(Status::NoRecord) << QStringList{};
}
// clang-format on

void LookupTest::zebraAnswers()
{
    QFETCH(QString, protocol);
    QFETCH(QString, database);
    QFETCH(int, syntax);
    QFETCH(QString, typed);
    QFETCH(int, status);
    QFETCH(QStringList, titles);
    const Catalogue c = catalogueAt(protocol == QLatin1String("sru") ? m_zebra->sru(database) : m_zebra->z3950(database), Syntax(syntax));
    const CatalogueAnswer a = CatalogueClient::ask(c, Isbn::forms(typed), 5000);
    QVERIFY2(int(a.status) == status, qPrintable(QStringLiteral("%1: %2").arg(int(a.status)).arg(a.detail)));
    QStringList got;
    for (const CatalogueRecord& r : a.records) {
        got << r.value(u"Titolo");
        QCOMPARE(r.catalogue, c.name);
    }
    QCOMPARE(got, titles);
}

void LookupTest::ztestAnswersBothProtocols()
{
    // YAZ's test server answers with its own sample MARC 21 records.
    for (const QString& address : {QStringLiteral("z3950://127.0.0.1:%1/Default"), QStringLiteral("http://127.0.0.1:%1/Default")}) {
        const Catalogue c = catalogueAt(address.arg(m_ztest->port()));
        const CatalogueAnswer a = CatalogueClient::ask(c, Isbn::forms(u"9788804339489"), 5000);
        QCOMPARE(a.status, Status::Records);
        QVERIFY(!a.records.isEmpty());
        QVERIFY2(!a.records.first().value(u"Titolo").isEmpty(), qPrintable(address));
    }
}

// clang-format off
void LookupTest::badServers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("sru");
    QTest::addColumn<int>("status");
    QTest::newRow("silent, Z39.50") << "silent" << false << int(Status::Timeout);
    QTest::newRow("silent, SRU") << "silent" << true << int(Status::Timeout);
    QTest::newRow("garbage, Z39.50") << "garbage" << false << int(Status::Garbage);
    QTest::newRow("garbage, SRU") << "garbage" << true << int(Status::Garbage);
    QTest::newRow("refused, Z39.50") << "refused" << false << int(Status::Refused);
    QTest::newRow("refused, SRU") << "refused" << true << int(Status::Refused);
}
// clang-format on

void LookupTest::badServers()
{
    QFETCH(QString, kind);
    QFETCH(bool, sru);
    QFETCH(int, status);
    std::unique_ptr<RawServer> server;
    quint16 port = 0;
    if (kind == QLatin1String("refused")) {
        port = freePort();
    } else {
        server = std::make_unique<RawServer>(kind == QLatin1String("silent") ? RawServer::Mode::Silent : RawServer::Mode::Garbage);
        port = server->port();
    }
    QVERIFY(port != 0);
    const Catalogue c = catalogueAt(
        sru ? QStringLiteral("http://127.0.0.1:%1/db").arg(port) : QStringLiteral("z3950://127.0.0.1:%1/db").arg(port));
    const CatalogueAnswer a = CatalogueClient::ask(c, Isbn::forms(u"9788804339489"), 700);
    QVERIFY2(int(a.status) == status, qPrintable(QStringLiteral("%1: %2").arg(int(a.status)).arg(a.detail)));
    QVERIFY(a.records.isEmpty());
}

void LookupTest::answerOverItsBudget()
{
    // 50 MB offered: refused once the answer passes its budget, not held.
    // The time allowed is far beyond what the budget takes to arrive, so
    // that only the size can end it as garbage.
    RawServer flood(RawServer::Mode::Flood);
    const Catalogue c = catalogueAt(QStringLiteral("http://127.0.0.1:%1/db").arg(flood.port()));
    const CatalogueAnswer a = CatalogueClient::ask(c, Isbn::forms(u"9788804339489"), 120000);
    QCOMPARE(a.status, Status::Garbage);
    QCOMPARE(a.detail, QStringLiteral("la risposta supera 4 MB"));
}

void LookupTest::unknownHostIsRefused()
{
    // ".invalid" never resolves: said at once, YAZ never asked.
    const Catalogue c = catalogueAt(QStringLiteral("z3950://catalogo.invalid:210/db"));
    const CatalogueAnswer a = CatalogueClient::ask(c, Isbn::forms(u"9788804339489"), 30000);
    QCOMPARE(a.status, Status::Refused);
    QCOMPARE(a.detail, QStringLiteral("nome del server sconosciuto"));
}

void LookupTest::cancelStopsAWaitingCatalogue()
{
    RawServer silent(RawServer::Mode::Silent);
    const Catalogue c = catalogueAt(QStringLiteral("z3950://127.0.0.1:%1/db").arg(silent.port()));
    std::atomic_bool cancel{false};
    std::atomic_bool asking{false};
    auto done = std::async(std::launch::async, [&] {
        return CatalogueLookup::run({c, c}, QStringLiteral("9788804339489"), 60000, &cancel, [&](const Catalogue&) { asking = true; });
    });
    QTRY_VERIFY_WITH_TIMEOUT(asking.load(), 5000);
    cancel = true;
    // Far below the minute allowed: the cancel, not the time-out, ended it.
    QCOMPARE(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const CatalogueLookup l = done.get();
    QCOMPARE(l.result, CatalogueLookup::Result::Cancelled);
    QCOMPARE(l.asked.size(), 1);
}

void LookupTest::catalogueOrderAndMessages()
{
    const Catalogue refused = catalogueAt(QStringLiteral("z3950://127.0.0.1:%1/db").arg(freePort()));
    Catalogue zebra = catalogueAt(m_zebra->z3950("libri21"));
    zebra.name = QStringLiteral("Zebra");
    Catalogue named = refused;
    named.name = QStringLiteral("Chiuso");

    // The first catalogue with records answers; those before it are listed.
    const CatalogueLookup found = CatalogueLookup::run({named, zebra}, QStringLiteral("978-0-00-748729-5"), 3000);
    QCOMPARE(found.result, CatalogueLookup::Result::Found);
    QCOMPARE(found.asked.size(), 2);
    QCOMPARE(found.asked[0].status, Status::Refused);
    QCOMPARE(found.records.first().catalogue, QStringLiteral("Zebra"));

    const CatalogueLookup missing = CatalogueLookup::run({named, zebra}, QStringLiteral("9780000000002"), 3000);
    QCOMPARE(missing.result, CatalogueLookup::Result::NoRecord);
    QCOMPARE(missing.failureMessage("9780000000002"),
        QString::fromUtf8("Nessuna scheda con l'ISBN 9780000000002 nei cataloghi interrogati: Chiuso (collegamento non "
                          "riuscito) e Zebra (nessuna scheda)."));

    const CatalogueLookup none = CatalogueLookup::run({named}, QStringLiteral("9780000000002"), 3000);
    QCOMPARE(none.result, CatalogueLookup::Result::NoAnswer);
    QVERIFY(none.failureMessage("9780000000002").startsWith(QStringLiteral("Nessun catalogo ha risposto")));

    const CatalogueLookup bad = CatalogueLookup::run({zebra}, QStringLiteral("12-34"), 3000);
    QCOMPARE(bad.result, CatalogueLookup::Result::NotIsbn);
    QVERIFY(bad.asked.isEmpty());
}

// clang-format off
void LookupTest::mergeFillsOffersAndKeeps_data()
{
    // The card as typed ("Campo=valore|..."; a field absent is not on the
    // card), the record, and what the merge fills and offers.
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("fills");
    QTest::addColumn<QString>("offers");
    QTest::newRow("empty fields filled, in the record's order")
        << "Titolo=|Autore=|Editore=" << "Autore=Calvino, Italo|Titolo=Il barone rampante" << "Autore|Titolo" << "";
    QTest::newRow("the same ISBN with hyphens") << "Isbn=978-88-07-18512-0" << "Isbn=9788807185120" << "" << "";
    QTest::newRow("the same ISBN in its other length") << "Isbn=88-07-18512-1" << "Isbn=9788807185120" << "" << "";
    QTest::newRow("another ISBN is offered") << "Isbn=9780306406157" << "Isbn=9788807185120" << "" << "Isbn";
    QTest::newRow("same text but for blanks") << "Titolo=  Il barone  " << "Titolo=Il barone" << "" << "";
    QTest::newRow("typed and contradicted: offered") << "Titolo=Barone|Autore=" << "Titolo=Il barone|Autore=Calvino" << "Autore" << "Titolo";
    QTest::newRow("a field the card does not show") << "Titolo=" << "Titolo=T|Editore=Einaudi" << "Titolo" << "";
    QTest::newRow("a field the collection lacks") << "Titolo=|Colore=" << "Titolo=T|Colore=rosso" << "Titolo" << "";
    QTest::newRow("only blanks typed counts as empty") << "Editore=   " << "Editore=Einaudi" << "Editore" << "";
    QTest::newRow("the ISBN rule is the ISBN's alone") << "Titolo=9788807185120" << "Titolo=978-88-07-18512-0" << "" << "Titolo";
}
// clang-format on

void LookupTest::mergeFillsOffersAndKeeps()
{
    QFETCH(QString, card);
    QFETCH(QString, record);
    QFETCH(QString, fills);
    QFETCH(QString, offers);
    QHash<QString, QString> typed;
    for (const QString& pair : card.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        typed.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    CatalogueRecord found;
    found.catalogue = QStringLiteral("Prova");
    for (const QString& pair : record.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        found.fields.append({pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1)});
    const CatalogueMerge merge(Books::collection(), found, [&](const QString& field) -> std::optional<QString> {
        if (!typed.contains(field))
            return std::nullopt;
        return typed.value(field);
    });
    const auto names = [](const QList<CatalogueMerge::Change>& changes) {
        QStringList n;
        for (const CatalogueMerge::Change& c : changes)
            n << c.field;
        return n.join(QLatin1Char('|'));
    };
    QCOMPARE(names(merge.fills()), fills);
    QCOMPARE(names(merge.offers()), offers);
    for (const CatalogueMerge::Change& c : merge.fills()) {
        QVERIFY(c.typed.isEmpty());
        QCOMPARE(c.found, found.value(c.field));
    }
    for (const CatalogueMerge::Change& c : merge.offers())
        QCOMPARE(c.typed, typed.value(c.field).trimmed());
    // Declining every offer changes the fills alone; taking them all adds
    // the offers, in the record's order.
    QCOMPARE(names(merge.chosen({})), fills);
    const QList<CatalogueMerge::Change> all = merge.chosen(QList<bool>(merge.offers().size(), true));
    QStringList expected;
    for (const auto& [field, value] : found.fields) {
        if ((fills + QLatin1Char('|') + offers).split(QLatin1Char('|')).contains(field))
            expected << field;
    }
    QCOMPARE(names(all), expected.join(QLatin1Char('|')));
}

QTEST_GUILESS_MAIN(LookupTest)
#include "test_lookup.moc"
