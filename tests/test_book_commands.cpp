#include "TestSupport.h"

#include "core/collections/Books.h"
#include "ui/shell/Controls.h"
#include "core/text/Clock.h"
#include "ui/registry/Screens.h"
#include "ui/books/TfrmLibri.h"
#include "core/storage/Record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <memory>

namespace {

const QString kNotStored = QStringLiteral(
    "Attenzione: la duplicazione di una scheda può avvenire soltanto dopo che questa è stata inserita in archivio.");
const QString kDuplicated = QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda corrente.\n\r\n\r"
                                           "Al termine premere Salva per inserire la scheda in archivio.");
const QString kNoIsbn = QStringLiteral(
    "Attenzione: per poter effettuare una ricerca sul Web è necessario compilare il campo relativo all'ISBN del libro.");
const QString kNoEngine = QStringLiteral("Attenzione: il sistema non permette di collegarsi al motore di ricerca di Google.\n\r\n\r"
                                         "Accertarsi che la propria connessione a Internet funzioni correttamente.");

// What Duplicate empties; every other field of the card is kept.
const QStringList kClearedByDuplicate = {QStringLiteral("Codice"), QStringLiteral("Prestato"), QStringLiteral("Scadenza"),
    QStringLiteral("Annullata"), QStringLiteral("Convalida"), QStringLiteral("File01"), QStringLiteral("File02"), QStringLiteral("File03"),
    QStringLiteral("Desc01"), QStringLiteral("Desc02"), QStringLiteral("Desc03")};

QString fieldName(const FieldDef& f)
{
    return QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size()));
}

// A card with every field filled, cancelled, validated, on loan and with attachments.
Record fullCard(int n)
{
    Record r(TSchedaLibro);
    for (const FieldDef& f : TSchedaLibro.fields)
        r.setText(f.name, QStringLiteral("%1 %2").arg(fieldName(f)).arg(n).left(f.capacity));
    r.setText("Annullata", QStringLiteral("Sì"));
    r.setText("Convalida", QStringLiteral("Sì"));
    r.setText("Scadenza", QStringLiteral("01/02/2020"));
    return r;
}

// Types like a keyboard, a press and a release per character; QTest's own
// helper takes only ASCII.
void typeText(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, w, key, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, key, QString(ch), Qt::NoModifier);
    }
}

} // namespace

class BookCommandsTest : public QObject, public BookCardFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void duplicateOfANewCardChangesNothing();
    void duplicateOfAStoredCancelledCardThenSaveAppends();
    void duplicateWithoutArchiveKeepsItsChanges();
    void loanDateInTheProgramsFormat_data();
    void loanDateInTheProgramsFormat();
    void isbnUpperCasedAtKeyRelease_data();
    void isbnUpperCasedAtKeyRelease();
    void webLookUpWarnings();

private:
    QLineEdit* edit(const QString& name) { return m_card->control<QLineEdit>(name); }
    QString position() { return m_card->lblPosizione()->text(); }
    void click(const char* name) { QTest::mouseClick(m_card->control(QLatin1String(name)), Qt::LeftButton); }
};

void BookCommandsTest::init()
{
    QVERIFY(openBookCard());
}

void BookCommandsTest::cleanup()
{
    Clock::setFixed({});
    QLocale::setDefault(QLocale::system());
    closeBookCard();
}

void BookCommandsTest::duplicateOfANewCardChangesNothing()
{
    edit("txtTitolo")->setText(QStringLiteral("Il nome della rosa"));
    edit("txtCodice")->setText(QStringLiteral("E-01"));
    edit("txtPrestato")->setText(QStringLiteral("Anna"));
    m_card->control<QLabel>("lblFile01")->setText(QStringLiteral("copertina.jpg"));
    m_card->control<QCheckBox>("chkAnnullata")->setChecked(true);
    m_card->lblPosizione()->setText(QStringLiteral("  "));
    click("cmdDuplica");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.first().kind, Msg::Kind::Warning);
    QCOMPARE(m_log->lastText(), kNotStored);
    QCOMPARE(edit("txtCodice")->text(), QStringLiteral("E-01"));
    QCOMPARE(edit("txtPrestato")->text(), QStringLiteral("Anna"));
    QCOMPARE(m_card->control<QLabel>("lblFile01")->text(), QStringLiteral("copertina.jpg"));
    QVERIFY(m_card->control<QCheckBox>("chkAnnullata")->isChecked());
    QVERIFY(!QFile::exists(m_folder->file("Libri.pro")));
}

void BookCommandsTest::duplicateOfAStoredCancelledCardThenSaveAppends()
{
    QByteArray archive;
    for (int i = 1; i <= 7; ++i)
        archive += fullCard(i).bytes();
    m_folder->write("Libri.pro", archive);
    click("cmdUltimo");
    QCOMPARE(position(), QStringLiteral("7"));
    QVERIFY(m_card->control<QCheckBox>("chkAnnullata")->isChecked());

    edit("txtNote")->setFocus();
    click("cmdDuplica");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.first().kind, Msg::Kind::Information);
    QCOMPARE(m_log->lastText(), kDuplicated);
    QVERIFY(position().isEmpty());
    QCOMPARE(QApplication::focusWidget(), m_card->control("txtCodice"));
    QVERIFY(!m_card->control<QCheckBox>("chkAnnullata")->isChecked());
    QCOMPARE(edit("txtConvalida")->text(), QStringLiteral("No"));

    const Record seventh = fullCard(7);
    for (const FieldDef& f : TSchedaLibro.fields) {
        const QString name = fieldName(f);
        if (name == QLatin1String("Annullata"))
            continue;
        QWidget* w = m_card->control(QStringLiteral("txt") + name);
        if (!w)
            w = m_card->control(QStringLiteral("lbl") + name);
        QVERIFY2(w, qPrintable(name));
        const QString expected = name == QLatin1String("Convalida") ? QStringLiteral("No")
            : kClearedByDuplicate.contains(name)                    ? QString()
                                                                    : seventh.text(f.name);
        QCOMPARE(Controls::text(w), expected);
    }

    edit("txtCodice")->setText(QStringLiteral("Vol. 8"));
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), QStringLiteral("La scheda corrente è stata inserita in archivio."));
    QCOMPARE(position(), QStringLiteral("8"));
    const QByteArray after = m_folder->read("Libri.pro");
    QCOMPARE(after.size(), 8 * 3237);
    QCOMPARE(after.left(7 * 3237), archive); // card 7 and the others untouched
    Record eighth(TSchedaLibro);
    eighth.bytes() = after.mid(7 * 3237);
    QCOMPARE(eighth.text("Codice"), QStringLiteral("Vol. 8"));
    QCOMPARE(eighth.text("Annullata"), QStringLiteral("No"));
    QCOMPARE(eighth.text("Convalida"), QStringLiteral("No"));
    QCOMPARE(eighth.text("Prestato"), QString());
    QCOMPARE(eighth.text("File03"), QString());
    QCOMPARE(eighth.text("Titolo"), seventh.text("Titolo"));
    QCOMPARE(eighth.text("Note"), seventh.text("Note"));
}

void BookCommandsTest::duplicateWithoutArchiveKeepsItsChanges()
{
    // A folder where the archive should be: it cannot be opened.
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Libri.pro")));
    edit("txtTitolo")->setText(QStringLiteral("Titolo"));
    edit("txtCodice")->setText(QStringLiteral("C-3"));
    m_card->lblPosizione()->setText(QStringLiteral("3"));
    click("cmdDuplica");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.first().kind, Msg::Kind::Warning);
    QCOMPARE(m_log->lastText(), Msg::accessMessage());
    QVERIFY(position().isEmpty());
    QVERIFY(edit("txtCodice")->text().isEmpty());
    QCOMPARE(edit("txtTitolo")->text(), QStringLiteral("Titolo"));
}

// clang-format off
void BookCommandsTest::loanDateInTheProgramsFormat_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("shown");
    // Day, month, year whatever the region's order, with the region's
    // separator; a locale without a numeric date gives "/", never a blank.
    QTest::newRow("Italian") << "it_IT" << QDate(2024, 3, 5) << "05/03/2024";
    QTest::newRow("German dots") << "de_DE" << QDate(2031, 12, 1) << "01.12.2031";
    QTest::newRow("Dutch dashes") << "nl_NL" << QDate(1999, 1, 31) << "31-01-1999";
    QTest::newRow("US month first") << "en_US" << QDate(2026, 12, 10) << "10/12/2026";
    QTest::newRow("C locale") << "C" << QDate(2026, 12, 10) << "10/12/2026";
}
// clang-format on

void BookCommandsTest::loanDateInTheProgramsFormat()
{
    QFETCH(QString, locale);
    QFETCH(QDate, today);
    QFETCH(QString, shown);
    QLocale::setDefault(QLocale(locale));
    Clock::setFixed(QDateTime(today, QTime(23, 59)));
    edit("txtScadenza")->setText(QStringLiteral("17/09/2001")); // a date already there is replaced
    edit("txtNote")->setFocus();
    click("btnScadenza");
    QCOMPARE(edit("txtScadenza")->text(), shown);
    QCOMPARE(QApplication::focusWidget(), m_card->control("txtNote"));
    QVERIFY(m_log->entries.isEmpty());
    QVERIFY(!QFile::exists(m_folder->file("Libri.pro"))); // nothing saved
}

// clang-format off
void BookCommandsTest::isbnUpperCasedAtKeyRelease_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters a-z") << "txtIsbn" << "" << "88-04-x12ab" << "88-04-X12AB";
    QTest::newRow("accented letters stay") << "txtIsbn" << "" << "èaé" << "èAé";
    QTest::newRow("a blank typed at the end vanishes at once") << "txtIsbn" << "" << " 978 x " << "978X";
    QTest::newRow("blanks inside stay") << "txtIsbn" << "978 88 " << "z" << "978 88 Z";
    QTest::newRow("other fields keep their case") << "txtEditore" << "" << "adelphi " << "adelphi ";
}
// clang-format on

void BookCommandsTest::isbnUpperCasedAtKeyRelease()
{
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QLineEdit* e = edit(field);
    e->setText(before);
    e->setFocus();
    e->end(false);
    typeText(e, typed);
    QCOMPARE(e->text(), shown);
    QCOMPARE(e->cursorPosition(), static_cast<int>(shown.size())); // typing goes on at the end
}

void BookCommandsTest::webLookUpWarnings()
{
    {
        OpenLog opened;
        edit("txtIsbn")->setText(QStringLiteral(" \t "));
        edit("txtNote")->setFocus();
        click("btnGoogle");
        QVERIFY(opened.urls.isEmpty());
        QCOMPARE(m_log->entries.size(), 1);
        QCOMPARE(m_log->entries.last().kind, Msg::Kind::Warning);
        QCOMPARE(m_log->lastText(), kNoIsbn);
        QCOMPARE(QApplication::focusWidget(), m_card->control("txtIsbn"));
    }
    {
        OpenLog refused(false);
        edit("txtIsbn")->setText(QStringLiteral("978"));
        click("btnGoogle");
        QCOMPARE(refused.urls.size(), 1);
        QCOMPARE(m_log->entries.size(), 2);
        QCOMPARE(m_log->entries.last().kind, Msg::Kind::Warning);
        QCOMPARE(m_log->lastText(), kNoEngine);
    }
}

QTEST_MAIN(BookCommandsTest)
#include "test_book_commands.moc"
