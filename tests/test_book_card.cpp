#include "TestSupport.h"

#include "core/collections/Books.h"
#include "ui/registry/Screens.h"
#include "ui/books/TfrmLibri.h"
#include "core/storage/FileLock.h"
#include "core/storage/Record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <optional>

namespace {

const QString kEmpty = QStringLiteral("L'archivio non contiene nessuna scheda.");
const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");
const QString kSaved = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");

QByteArray bookRecord(const QString& title, const QString& cancelled = QStringLiteral("No"))
{
    Record r(TSchedaLibro);
    r.setText("Titolo", title);
    r.setText("Codice", QStringLiteral("C-") + title);
    r.setText("Autore", QStringLiteral("Autore ") + title);
    r.setText("Annullata", cancelled);
    return r.bytes();
}

} // namespace

class BookCardTest : public QObject, public BookCardFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstSaveCreatesArchiveAndShowsOne();
    void savingTwiceOverwrites();
    void navigationOnEmptyArchive();
    void navigationEndCases();
    void storedCardComesBackByteForByte();
    void unknownCancelledFlagKeepsCheckBox();
    void readOnlyArchiveKeepsScreenAndFile();
    void saveThatCannotWriteKeepsArchive_data();
    void saveThatCannotWriteKeepsArchive();
    void infoLineHintsAndBackground();
    void combosListsAndLimits();
    void showClearsTheCard();

private:
    QLineEdit* edit(const char* name) { return m_card->control<QLineEdit>(QLatin1String(name)); }
    QString position() { return m_card->lblPosizione()->text(); }
    void click(const char* name) { QTest::mouseClick(m_card->control(QLatin1String(name)), Qt::LeftButton); }
    void fillRequired(const QString& title)
    {
        edit("txtTitolo")->setText(title);
        edit("txtCodice")->setText(QStringLiteral("C1"));
        edit("txtAutore")->setText(QStringLiteral("  Italo Calvino  "));
    }
};

void BookCardTest::init()
{
    QVERIFY(openBookCard());
}

void BookCardTest::cleanup()
{
    closeBookCard();
}

void BookCardTest::firstSaveCreatesArchiveAndShowsOne()
{
    QVERIFY(!QFile::exists(m_folder->file("Libri.pro")));
    fillRequired(QStringLiteral("Il barone rampante"));
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kInserted);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Information);
    QCOMPARE(position(), QStringLiteral("1"));
    QCOMPARE(m_folder->read("Libri.pro").size(), 3237);
    // The field keeps the blanks as typed; the archive holds the trimmed text.
    QCOMPARE(edit("txtAutore")->text(), QStringLiteral("  Italo Calvino  "));
    Record stored(TSchedaLibro);
    stored.bytes() = m_folder->read("Libri.pro");
    QCOMPARE(stored.raw("Autore"), std::string_view("Italo Calvino"));
    QCOMPARE(stored.text("Convalida"), QStringLiteral("No"));
    QCOMPARE(stored.text("Annullata"), QStringLiteral("No"));
}

void BookCardTest::savingTwiceOverwrites()
{
    m_folder->write("Libri.pro", bookRecord(QStringLiteral("Primo")));
    fillRequired(QStringLiteral("Secondo"));
    click("cmdSalva");
    QCOMPARE(position(), QStringLiteral("2"));
    edit("txtTitolo")->setText(QStringLiteral("Secondo, riveduto"));
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kSaved);
    QCOMPARE(position(), QStringLiteral("2"));
    const QByteArray file = m_folder->read("Libri.pro");
    QCOMPARE(file.size(), 2 * 3237);
    QCOMPARE(file.left(3237), bookRecord(QStringLiteral("Primo")));
    Record second(TSchedaLibro);
    second.bytes() = file.mid(3237);
    QCOMPARE(second.text("Titolo"), QStringLiteral("Secondo, riveduto"));
}

void BookCardTest::navigationOnEmptyArchive()
{
    for (const char* cmd : {"cmdPrimo", "cmdUltimo", "cmdIndietro", "cmdAvanti"}) {
        m_log->clear();
        m_card->lblPosizione()->clear();
        click(cmd);
        QCOMPARE(m_log->entries.size(), 1);
        QCOMPARE(m_log->entries.first().kind, Msg::Kind::Information);
        QCOMPARE(m_log->lastText(), kEmpty);
        QVERIFY(position().isEmpty());
    }
    QVERIFY(QFile::exists(m_folder->file("Libri.pro"))); // created empty by the first step
    QCOMPARE(m_folder->read("Libri.pro").size(), 0);
}

void BookCardTest::navigationEndCases()
{
    m_folder->write("Libri.pro",
        bookRecord(QStringLiteral("Uno")) + bookRecord(QStringLiteral("Due"), QStringLiteral("Sì")) + bookRecord(QStringLiteral("Tre")));
    struct Step {
        const char* command;
        const char* positionAfter;
        const char* title;
    };
    // From a new card both Next and Previous show card 1.
    // clang-format off
    const Step steps[] = {
        {"cmdAvanti", "1", "Uno"},
        {"cmdIndietro", "1", "Uno"}, // Previous on card 1: nothing
        {"cmdAvanti", "2", "Due"},
        {"cmdUltimo", "3", "Tre"},
        {"cmdAvanti", "3", "Tre"}, // Next on the last card: nothing
        {"cmdIndietro", "2", "Due"},
        {"cmdPrimo", "1", "Uno"},
    };
    // clang-format on
    for (const Step& s : steps) {
        click(s.command);
        QCOMPARE(position(), QLatin1String(s.positionAfter));
        QCOMPARE(edit("txtTitolo")->text(), QLatin1String(s.title));
    }
    click("cmdNuovo");
    click("cmdIndietro");
    QCOMPARE(position(), QStringLiteral("1"));
    QVERIFY(m_log->entries.isEmpty());

    // A cancelled card is reached like any other, with its box ticked.
    click("cmdAvanti");
    QVERIFY(m_card->control<QCheckBox>("chkAnnullata")->isChecked());
    click("cmdAvanti");
    QVERIFY(!m_card->control<QCheckBox>("chkAnnullata")->isChecked());
}

void BookCardTest::storedCardComesBackByteForByte()
{
    // Every field of the card typed, saved, then found again by navigation
    // and saved again: the archive must not change by a single byte.
    int i = 0;
    for (const FieldDef& f : TSchedaLibro.fields) {
        QWidget* w = m_card->control(QStringLiteral("txt") + QLatin1String(f.name.data(), f.name.size()));
        if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isVisible())
            e->setText(QStringLiteral("Valore %1 è àccentato").arg(++i).left(f.capacity));
        else if (auto* c = qobject_cast<QComboBox*>(w))
            c->setEditText(QStringLiteral("Voce %1").arg(++i));
    }
    m_card->control<QLabel>("lblFile02")->setText(QStringLiteral("mappa.pdf"));
    m_card->control<QLabel>("lblDesc02")->setText(QStringLiteral("Mappa dell'edizione"));
    m_card->control<QCheckBox>("chkAnnullata")->setChecked(true);
    click("cmdSalva");
    const QByteArray first = m_folder->read("Libri.pro");
    QCOMPARE(first.size(), 3237);

    m_card->close();
    Screens::frmLibri->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(m_card));
    QVERIFY(edit("txtTitolo")->text().isEmpty());
    click("cmdUltimo");
    QCOMPARE(m_card->control<QLabel>("lblFile02")->text(), QStringLiteral("mappa.pdf"));
    QVERIFY(m_card->control<QCheckBox>("chkAnnullata")->isChecked());
    click("cmdSalva");
    QCOMPARE(m_log->lastText(), kSaved);
    QCOMPARE(m_folder->read("Libri.pro"), first);
}

void BookCardTest::unknownCancelledFlagKeepsCheckBox()
{
    m_folder->write("Libri.pro", bookRecord(QStringLiteral("Uno"), QStringLiteral("Sì")) + bookRecord(QStringLiteral("Due"), QString()));
    click("cmdPrimo");
    QVERIFY(m_card->control<QCheckBox>("chkAnnullata")->isChecked());
    click("cmdAvanti");
    QCOMPARE(edit("txtTitolo")->text(), QStringLiteral("Due"));
    QVERIFY(m_card->control<QCheckBox>("chkAnnullata")->isChecked());
}

void BookCardTest::readOnlyArchiveKeepsScreenAndFile()
{
    // An archive that cannot be opened for writing: a read-only file where
    // permissions apply, a folder in its place where they do not (root).
    const QByteArray original = bookRecord(QStringLiteral("Uno"));
    m_folder->write("Libri.pro", original);
    QFile::setPermissions(m_folder->file("Libri.pro"), QFile::ReadOwner);
    const bool permissionsApply = !QFile(m_folder->file("Libri.pro")).open(QIODevice::ReadWrite);
    if (!permissionsApply) {
        QFile::remove(m_folder->file("Libri.pro"));
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Libri.pro")));
    }
    fillRequired(QStringLiteral("Nuovo"));
    click("cmdSalva");
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Error);
    QCOMPARE(m_log->lastText(),
        QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                       "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma."));
    QVERIFY(position().isEmpty());
    QCOMPARE(edit("txtTitolo")->text(), QStringLiteral("Nuovo"));
    if (permissionsApply)
        QCOMPARE(m_folder->read("Libri.pro"), original);
    click("cmdPrimo");
    QCOMPARE(m_log->entries.size(), 2);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Error);
    QCOMPARE(edit("txtTitolo")->text(), QStringLiteral("Nuovo"));
}

// clang-format off
void BookCardTest::saveThatCannotWriteKeepsArchive_data()
{
    QTest::addColumn<bool>("newCard");
    QTest::addColumn<bool>("locked"); // else the disk is full
    QTest::newRow("new card, disk full") << true << false;
    QTest::newRow("new card, archive locked by another program") << true << true;
    QTest::newRow("changed card, archive locked by another program") << false << true;
}
// clang-format on

void BookCardTest::saveThatCannotWriteKeepsArchive()
{
    QFETCH(bool, newCard);
    QFETCH(bool, locked);
    const QByteArray original = bookRecord(QStringLiteral("Uno")) + bookRecord(QStringLiteral("Due"));
    m_folder->write("Libri.pro", original);
    if (!newCard)
        click("cmdPrimo");
    fillRequired(QStringLiteral("Nuovo"));
    m_log->clear();
    {
        QFile other(m_folder->file("Libri.pro"));
        QVERIFY(other.open(QIODevice::ReadWrite));
        const int patience = FileLock::patience();
        FileLock::setPatience(100);
        std::optional<FileLock> held;
        std::optional<FileSizeLimit> full;
        if (locked)
            held.emplace(other);
        else
            full.emplace(rlim_t(original.size() + 100));
        click("cmdSalva");
        FileLock::setPatience(patience);
    }
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Error);
    QCOMPARE(m_log->lastText(),
        QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                       "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma."));
    QCOMPARE(position(), newCard ? QString() : QStringLiteral("1"));
    QCOMPARE(edit("txtTitolo")->text(), QStringLiteral("Nuovo"));
    QCOMPARE(m_folder->read("Libri.pro"), original);
}

void BookCardTest::infoLineHintsAndBackground()
{
    TfrmLibri fresh;
    QCOMPARE(fresh.panInfo()->text(), QStringLiteral("Pronto per archiviare una nuova scheda..."));
    // Opened under the pointer, the window and its background get an Enter
    // without any move: the design text stays.
    for (QWidget* area : {static_cast<QWidget*>(&fresh), fresh.control("shpSezione2")}) {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(area, &enter);
    }
    QCOMPARE(fresh.panInfo()->text(), QStringLiteral("Pronto per archiviare una nuova scheda..."));
    hover(fresh.control("txtTitolo"));
    QCOMPARE(fresh.panInfo()->text(), QStringLiteral("Pronto per archiviare una nuova scheda...")); // fields leave it alone

    QLabel* info = m_card->panInfo();
    info->setText(QStringLiteral("x"));
    hover(edit("txtAutore"));
    QCOMPARE(info->text(), QStringLiteral("x"));
    // The hint texts themselves are checked with the commands.
    for (const char* name : {"cmdSalva", "cmdPrimo", "cmdUltimo", "cmdEsci", "chkAnnullata"}) {
        hover(m_card->control(QLatin1String(name)));
        QVERIFY2(!info->text().isEmpty() && info->text() != QLatin1String("x"), name);
        hover(m_card->control(QStringLiteral("shpSezione2")));
        QCOMPARE(info->text(), QString()); // the background empties it, not back to the default text
    }
    hover(m_card->control(QStringLiteral("cmdNuovo")));
    hover(m_card);
    QCOMPARE(info->text(), QString());
}

void BookCardTest::combosListsAndLimits()
{
    QCOMPARE(m_card->control<QComboBox>("txtLingua")->lineEdit()->maxLength(), 30);
    QCOMPARE(m_card->control<QComboBox>("txtGenere")->count(), 120);
    QCOMPARE(m_card->control<QComboBox>("txtLingua")->count(), 213);
}

void BookCardTest::showClearsTheCard()
{
    m_folder->write("Libri.pro", bookRecord(QStringLiteral("Uno"), QStringLiteral("Sì")));
    click("cmdPrimo");
    m_card->control<QLabel>("lblFile01")->setText(QStringLiteral("x.pdf"));
    m_card->close();
    m_card->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(m_card));
    QVERIFY(position().isEmpty());
    QVERIFY(edit("txtTitolo")->text().isEmpty());
    QVERIFY(m_card->control<QLabel>("lblFile01")->text().isEmpty());
    QCOMPARE(m_card->control<QLineEdit>("txtConvalida")->text(), QStringLiteral("No"));
    QVERIFY(!m_card->control<QCheckBox>("chkAnnullata")->isChecked());
    QCOMPARE(m_card->control<QComboBox>("txtGenere")->currentIndex(), -1);
    QCOMPARE(QApplication::focusWidget(), m_card->control("txtTitolo"));
}

QTEST_MAIN(BookCardTest)
#include "test_book_card.moc"
