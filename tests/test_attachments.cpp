#include "TestSupport.h"

#include "core/collections/Books.h"
#include "core/import/CardImport.h"
#include "ui/shell/FileChooser.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/articles/TfrmBibliografie.h"
#include "ui/books/TfrmLibri.h"
#include "ui/dvd/TfrmDVD.h"
#include "core/storage/AttachmentFolder.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "ui/cards/TfrmAllegaCartella.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <deque>

namespace {

const QString kFolder = QStringLiteral("Documenti_Allegati/");
const QString kOverwrite = QStringLiteral("Attenzione: nella cartella dei documenti allegati è presente un file con lo stesso nome.\r\n\r\n"
                                          "Si vuole sovrascrivere il file esistente?");
const QString kCopyFailed = QStringLiteral(
    "Attenzione: non è stato possibile copiare il file scelto nella cartella dei documenti allegati.\r\n\r\n"
    "Accertarsi che il file sia leggibile e di possedere i privilegi di scrittura nella cartella di installazione del programma.");
const QString kNameTooLong = QStringLiteral(
    "Attenzione: il nome del file scelto supera i 250 caratteri che la scheda può conservare.\r\n\r\n"
    "Rinominare il file con un nome più breve e sceglierlo di nuovo.");
const QString kNameNotKept = QStringLiteral(
    "Attenzione: il nome del file scelto contiene caratteri che la scheda non può conservare.\r\n\r\n"
    "Rinominare il file e sceglierlo di nuovo.");
const QString kNotBare = QStringLiteral(
    "Attenzione: il nome del file allegato contiene l'indicazione di una cartella e non può essere aperto.\r\n\r\n"
    "Allegare di nuovo il file con il pulsante Sfoglia...");

const char* const kSuffix[] = {"01", "02", "03"};

// Files outside the program folder that the user picks from.
class Outside {
public:
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }
    QString missing(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

} // namespace

class AttachmentsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensWithTheCardsSlots_data();
    void opensWithTheCardsSlots();
    void layoutTabOrderAndApri();
    void chooseNewFile();
    void sameNameAgain_data();
    void sameNameAgain();
    void storedFileChosenItself_data();
    void storedFileChosenItself();
    void cancelledDialogChangesNothing();
    void clearSlotAndApply();
    void annullaLeavesCardButCopyStays();
    void copyFailure_data();
    void copyFailure();
    void refusedNames_data();
    void refusedNames();
    void applyThenSaveOrNavigate_data();
    void applyThenSaveOrNavigate();
    void attachmentNameRule_data();
    void attachmentNameRule();
    void writeBackByTag_data();
    void writeBackByTag();

private:
    QLabel* label(const QString& name) { return m_card->control<QLabel>(name); }
    void setCardSlots(const QStringList& files, const QStringList& descs)
    {
        for (int i = 0; i < 3; ++i) {
            label(QStringLiteral("lblFile") + QLatin1String(kSuffix[i]))->setText(files.value(i));
            label(QStringLiteral("lblDesc") + QLatin1String(kSuffix[i]))->setText(descs.value(i));
        }
    }
    // The card's three "lblFile" or three "lblDesc" labels.
    QStringList cardLabels(const char* kind)
    {
        QStringList out;
        for (const char* s : kSuffix)
            out << label(QLatin1String(kind) + QLatin1String(s))->text();
        return out;
    }
    QStringList folderEntries() const
    {
        return QDir(ProgramFolder::file(kFolder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Opens the attachment screen from the book card's command and runs
    // `drive` on it; the screen is closed afterwards if `drive` left it open.
    void withScreen(const std::function<void(TfrmAllegaCartella*)>& drive)
    {
        bool ran = false;
        onNextModal<TfrmAllegaCartella>([&](TfrmAllegaCartella* s) {
            ran = true;
            drive(s);
            if (s->isVisible())
                s->reject();
        });
        QTest::mouseClick(m_card->control(QStringLiteral("cmdFile")), Qt::LeftButton);
        QVERIFY(ran);
    }
    static void click(TfrmAllegaCartella* s, const QString& name) { QTest::mouseClick(s->control(name), Qt::LeftButton); }
    static QLineEdit* edit(TfrmAllegaCartella* s, const QString& name) { return s->control<QLineEdit>(name); }

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
    FileChoice* m_choice = nullptr;
    TfrmLibri* m_card = nullptr;
};

void AttachmentsTest::init()
{
    m_folder = new TestFolder;
    m_log = new MessageLog;
    m_choice = new FileChoice;
    Screens::createAll();
    m_card = Screens::frmLibri;
    m_card->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(m_card));
}

void AttachmentsTest::cleanup()
{
    Screens::destroyAll();
    delete m_choice;
    delete m_log;
    delete m_folder;
}

// clang-format off
void AttachmentsTest::opensWithTheCardsSlots_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("descs");
    QTest::addColumn<QList<bool>>("apri");
    QTest::newRow("no attachments") << QStringList{"", "", ""} << QStringList{"", "", ""} << QList<bool>{false, false, false};
    QTest::newRow("slot 2 only, blanks trimmed")
        << QStringList{"", " \t b.pdf  ", ""} << QStringList{"", "  Seconda ", ""} << QList<bool>{false, true, false};
    QTest::newRow("description without a file") << QStringList{"  ", "", "c.doc"} << QStringList{"Prima", "", ""}
                                                 << QList<bool>{false, false, true};
}
// clang-format on

void AttachmentsTest::opensWithTheCardsSlots()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, descs);
    QFETCH(QList<bool>, apri);
    setCardSlots(files, descs);
    withScreen([&](TfrmAllegaCartella* s) {
        QCOMPARE(s->windowTitle(), QStringLiteral(" Allega file"));
        QCOMPARE(s->callerTag(), QStringLiteral("libri"));
        QCOMPARE(s->parentWidget(), m_card);
        for (int i = 0; i < 3; ++i) {
            const QString n = QLatin1String(kSuffix[i]);
            QCOMPARE(edit(s, "txtFile" + n)->text(), files[i].trimmed());
            QCOMPARE(edit(s, "txtDesc" + n)->text(), descs[i].trimmed());
            QCOMPARE(s->control(QStringLiteral("btnApri") + n)->isEnabled(), apri[i]);
        }
    });
}

void AttachmentsTest::layoutTabOrderAndApri()
{
    TfrmAllegaCartella s(m_card);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QCOMPARE(s.size(), QSize(634, 534));
    QCOMPARE(s.panContainer()->size(), QSize(609, 503));
    QVERIFY(!(s.windowFlags() & Qt::WindowCloseButtonHint));
    const int ys[] = {80, 200, 320};
    for (int i = 0; i < 3; ++i) {
        const QString n = QLatin1String(kSuffix[i]);
        const int y = ys[i];
        QCOMPARE(s.control(QStringLiteral("shpFile") + n)->geometry(), QRect(16, y, 577, 113));
        QCOMPARE(s.control(QStringLiteral("txtFile") + n)->geometry(), QRect(28, y + 28, 338, 22));
        QCOMPARE(s.control(QStringLiteral("imgCancella") + n)->geometry(), QRect(370, y + 28, 22, 22));
        QCOMPARE(s.control(QStringLiteral("btnSfoglia") + n)->geometry(), QRect(400, y + 24, 86, 28));
        QCOMPARE(s.control(QStringLiteral("btnApri") + n)->geometry(), QRect(494, y + 24, 86, 28));
        QCOMPARE(s.control(QStringLiteral("txtDesc") + n)->geometry(), QRect(28, y + 78, 552, 26));
        QVERIFY(edit(&s, "txtFile" + n)->isReadOnly());
        QCOMPARE(s.control<QPushButton>(QStringLiteral("btnSfoglia") + n)->text(), QStringLiteral("Sfoglia..."));
    }
    QCOMPARE(s.control<QPushButton>(QStringLiteral("btnApplica"))->text(), QStringLiteral("Applica e chiudi"));
    QCOMPARE(s.control<QPushButton>(QStringLiteral("btnAnnulla"))->text(), QStringLiteral("Annulla"));

    // Tab order over the enabled controls (a disabled Apri is skipped by Tab
    // but keeps its place in the chain).
    QStringList expected;
    for (const char* n : kSuffix)
        for (const char* c : {"txtFile", "btnSfoglia", "btnApri", "txtDesc"})
            expected << QLatin1String(c) + QLatin1String(n);
    expected << QStringLiteral("btnApplica") << QStringLiteral("btnAnnulla");
    QStringList chain;
    QWidget* w = s.control(QStringLiteral("txtFile01"));
    do {
        if (expected.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != s.control(QStringLiteral("txtFile01")));
    QCOMPARE(chain, expected);

    // Apri follows the name, trimmed, however it changes.
    auto* name = edit(&s, "txtFile03");
    auto* apri = s.control(QStringLiteral("btnApri03"));
    for (const auto& [text, enabled] : {std::pair{" a.txt ", true}, {" \t ", false}, {"b", true}, {"", false}}) {
        name->setText(QLatin1String(text));
        QCOMPARE(apri->isEnabled(), enabled);
    }
}

void AttachmentsTest::chooseNewFile()
{
    // A fresh installation in a folder whose parents do not exist yet.
    ProgramFolder::setPath(m_folder->path() + QStringLiteral("nuova/cartella"));
    Outside outside;
    static const char kPdf[] = "%PDF-1.4\x00\xff relazione";
    const QByteArray bytes(kPdf, sizeof kPdf - 1); // with a zero byte inside
    m_choice->answers = {outside.file(QStringLiteral("Relazione finale.pdf"), bytes)};
    setCardSlots({"", "", ""}, {"", "Vecchia descrizione", ""});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia02");
        QCOMPARE(edit(s, "txtFile02")->text(), QStringLiteral("Relazione finale.pdf"));
        QCOMPARE(edit(s, "txtDesc02")->text(), QStringLiteral("Vecchia descrizione"));
        QVERIFY(s->control(QStringLiteral("btnApri02"))->isEnabled());
        QVERIFY(s->isVisible());
    });
    QCOMPARE(m_choice->titles, QStringList{"Selezionare il file da allegare:"});
    QCOMPARE(m_choice->filters, QStringList{"Tutti i file (*.*)"});
    QVERIFY(m_log->entries.isEmpty());
    QCOMPARE(folderEntries(), QStringList{"Relazione finale.pdf"});
    QFile copy(ProgramFolder::file(kFolder + QStringLiteral("Relazione finale.pdf")));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), bytes);
}

// clang-format off
void AttachmentsTest::sameNameAgain_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("Yes replaces the stored file") << true << QByteArray("nuovo");
    QTest::newRow("No keeps the stored file") << false << QByteArray("vecchio");
}
// clang-format on

void AttachmentsTest::sameNameAgain()
{
    QFETCH(bool, yes);
    QFETCH(QByteArray, stored);
    QDir().mkpath(m_folder->file(kFolder));
    m_folder->write(kFolder + "a.txt", "vecchio");
    Outside outside;
    m_choice->answers = {outside.file(QStringLiteral("a.txt"), "nuovo")};
    m_log->answers = {yes};
    setCardSlots({"z.txt", "", ""}, {"Zeta", "", ""});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia01");
        // Either way the slot names the file stored under that name.
        QCOMPARE(edit(s, "txtFile01")->text(), QStringLiteral("a.txt"));
        QCOMPARE(edit(s, "txtDesc01")->text(), QStringLiteral("Zeta"));
    });
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries[0].kind, Msg::Kind::Confirmation);
    QCOMPARE(m_log->entries[0].text, kOverwrite);
    QCOMPARE(m_folder->read(kFolder + "a.txt"), stored);
    QCOMPARE(folderEntries(), QStringList{"a.txt"}); // no temporary left behind
}

// clang-format off
void AttachmentsTest::storedFileChosenItself_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}
// clang-format on

void AttachmentsTest::storedFileChosenItself()
{
    QFETCH(bool, yes);
    QDir().mkpath(m_folder->file(kFolder));
    const QByteArray bytes(100000, 'x');
    m_folder->write(kFolder + "foto.jpg", bytes);
    m_choice->answers = {m_folder->file(kFolder + "foto.jpg")};
    m_log->answers = {yes};
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia03");
        QCOMPARE(edit(s, "txtFile03")->text(), QStringLiteral("foto.jpg"));
    });
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries[0].text, kOverwrite);
    QCOMPARE(m_folder->read(kFolder + "foto.jpg"), bytes);
    QCOMPARE(folderEntries(), QStringList{"foto.jpg"});
}

void AttachmentsTest::cancelledDialogChangesNothing()
{
    m_choice->answers = {QString()};
    setCardSlots({"a.txt", "", ""}, {"Prima", "", ""});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia01");
        QCOMPARE(edit(s, "txtFile01")->text(), QStringLiteral("a.txt"));
        QCOMPARE(edit(s, "txtDesc01")->text(), QStringLiteral("Prima"));
    });
    QCOMPARE(m_choice->titles.size(), 1);
    QVERIFY(m_log->entries.isEmpty());
    QVERIFY(!QFileInfo::exists(m_folder->file(kFolder)));
}

void AttachmentsTest::clearSlotAndApply()
{
    QDir().mkpath(m_folder->file(kFolder));
    m_folder->write(kFolder + "a.txt", "conservato");
    setCardSlots({"a.txt", "b.txt", "c.txt"}, {"Prima", "Seconda", "Terza"});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "imgCancella01");
        QCOMPARE(edit(s, "txtFile01")->text(), QString());
        QCOMPARE(edit(s, "txtDesc01")->text(), QStringLiteral("Prima"));
        QVERIFY(!s->control(QStringLiteral("btnApri01"))->isEnabled());
        edit(s, "txtDesc03")->setText(QStringLiteral("  Terza, rivista  "));
        click(s, "btnApplica");
        QVERIFY(!s->isVisible());
    });
    QCOMPARE(cardLabels("lblFile"), (QStringList{"", "b.txt", "c.txt"}));
    QCOMPARE(cardLabels("lblDesc"), (QStringList{"Prima", "Seconda", "Terza, rivista"}));
    QCOMPARE(m_folder->read(kFolder + "a.txt"), QByteArray("conservato"));
}

void AttachmentsTest::annullaLeavesCardButCopyStays()
{
    Outside outside;
    m_choice->answers = {outside.file(QStringLiteral("nuovo.odt"), "contenuto")};
    setCardSlots({"a.txt", "", ""}, {"Prima", "", ""});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia01");
        edit(s, "txtDesc01")->setText(QStringLiteral("Cambiata"));
        click(s, "imgCancella02");
        click(s, "btnAnnulla");
        QVERIFY(!s->isVisible());
    });
    QCOMPARE(cardLabels("lblFile"), (QStringList{"a.txt", "", ""}));
    QCOMPARE(cardLabels("lblDesc"), (QStringList{"Prima", "", ""}));
    QCOMPARE(m_folder->read(kFolder + "nuovo.odt"), QByteArray("contenuto"));
}

// clang-format off
void AttachmentsTest::copyFailure_data()
{
    QTest::addColumn<bool>("folderIsAFile");
    QTest::newRow("the chosen file cannot be read; the stored one survives") << false;
    QTest::newRow("the folder cannot be created") << true;
}
// clang-format on

void AttachmentsTest::copyFailure()
{
    QFETCH(bool, folderIsAFile);
    Outside outside;
    if (folderIsAFile) {
        m_folder->write(QStringLiteral("Documenti_Allegati"), "non una cartella");
        m_choice->answers = {outside.file(QStringLiteral("r.txt"), "nuovo")};
    } else {
        QDir().mkpath(m_folder->file(kFolder));
        m_folder->write(kFolder + "r.txt", "vecchio");
        m_choice->answers = {outside.missing(QStringLiteral("r.txt"))};
        m_log->answers = {true};
    }
    setCardSlots({"prima.txt", "", ""}, {"Prima", "", ""});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia01");
        QCOMPARE(edit(s, "txtFile01")->text(), QStringLiteral("prima.txt"));
        QVERIFY(s->isVisible());
    });
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Warning);
    QCOMPARE(m_log->lastText(), kCopyFailed);
    if (folderIsAFile) {
        QCOMPARE(m_folder->read(QStringLiteral("Documenti_Allegati")), QByteArray("non una cartella"));
    } else {
        QCOMPARE(m_log->entries.first().text, kOverwrite);
        QCOMPARE(m_folder->read(kFolder + "r.txt"), QByteArray("vecchio"));
        QCOMPARE(folderEntries(), QStringList{"r.txt"});
    }
}

// clang-format off
void AttachmentsTest::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // empty: accepted and copied
    QTest::newRow("250 characters fit") << QString(246, QLatin1Char('n')) + QStringLiteral(".pdf") << QString();
    QTest::newRow("251 characters") << QString(247, QLatin1Char('n')) + QStringLiteral(".pdf") << kNameTooLong;
    QTest::newRow("accents and euro fit") << QStringLiteral("Perché costa 5€.txt") << QString();
    QTest::newRow("outside Windows-1252") << QStringLiteral("Łódź.txt") << kNameNotKept;
    QTest::newRow("a backslash in the name") << QStringLiteral("a\\b.txt") << kNameNotKept;
}
// clang-format on

void AttachmentsTest::refusedNames()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    Outside outside;
    m_choice->answers = {outside.file(name, "dati")};
    QVERIFY(QFileInfo::exists(m_choice->answers.front()));
    setCardSlots({"prima.txt", "", ""}, {"", "", ""});
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia01");
        QCOMPARE(edit(s, "txtFile01")->text(), message.isEmpty() ? name : QStringLiteral("prima.txt"));
        click(s, "btnApplica");
    });
    if (message.isEmpty()) {
        QVERIFY(m_log->entries.isEmpty());
        QCOMPARE(m_folder->read(kFolder + name), QByteArray("dati"));
        // The card stores the whole name, so it names the stored file.
        QTest::mouseClick(m_card->control(QStringLiteral("txtTitolo")), Qt::LeftButton);
        m_card->control<QLineEdit>(QStringLiteral("txtTitolo"))->setText(QStringLiteral("T"));
        m_card->control<QLineEdit>(QStringLiteral("txtCodice"))->setText(QStringLiteral("C"));
        m_card->control<QLineEdit>(QStringLiteral("txtAutore"))->setText(QStringLiteral("A"));
        QTest::mouseClick(m_card->control(QStringLiteral("cmdSalva")), Qt::LeftButton);
        Record r(TSchedaLibro);
        r.bytes() = m_folder->read(QStringLiteral("Libri.pro"));
        QCOMPARE(r.text("File01"), name);
    } else {
        QCOMPARE(m_log->entries.size(), 1);
        QCOMPARE(m_log->entries[0].kind, Msg::Kind::Warning);
        QCOMPARE(m_log->entries[0].text, message);
        QVERIFY(folderEntries().isEmpty());
        QCOMPARE(cardLabels("lblFile")[0], QStringLiteral("prima.txt"));
    }
}

// clang-format off
void AttachmentsTest::applyThenSaveOrNavigate_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("Save stores the six values") << true;
    QTest::newRow("navigating drops them") << false;
}
// clang-format on

void AttachmentsTest::applyThenSaveOrNavigate()
{
    QFETCH(bool, save);
    Record stored(TSchedaLibro);
    stored.setText("Titolo", QStringLiteral("Il sentiero dei nidi di ragno"));
    stored.setText("Codice", QStringLiteral("C1"));
    stored.setText("Autore", QStringLiteral("Italo Calvino"));
    stored.setText("File02", QStringLiteral("vecchio.pdf"));
    stored.setText("Desc02", QStringLiteral("Vecchio"));
    m_folder->write(QStringLiteral("Libri.pro"), stored.bytes());
    QTest::mouseClick(m_card->control(QStringLiteral("cmdPrimo")), Qt::LeftButton);
    QCOMPARE(m_card->lblPosizione()->text(), QStringLiteral("1"));

    Outside outside;
    m_choice->answers = {outside.file(QStringLiteral("uno.pdf"), "1"), outside.file(QStringLiteral("tre.jpg"), "3")};
    withScreen([&](TfrmAllegaCartella* s) {
        click(s, "btnSfoglia01");
        click(s, "btnSfoglia03");
        edit(s, "txtDesc01")->setText(QStringLiteral("  Copertina  "));
        click(s, "imgCancella02");
        edit(s, "txtDesc03")->setText(QStringLiteral("Retro"));
        click(s, "btnApplica");
    });
    QCOMPARE(cardLabels("lblFile"), (QStringList{"uno.pdf", "", "tre.jpg"}));
    QCOMPARE(cardLabels("lblDesc"), (QStringList{"Copertina", "Vecchio", "Retro"}));
    QCOMPARE(m_folder->read(QStringLiteral("Libri.pro")), stored.bytes()); // nothing stored yet

    if (!save) {
        QTest::mouseClick(m_card->control(QStringLiteral("cmdUltimo")), Qt::LeftButton);
        QCOMPARE(cardLabels("lblFile"), (QStringList{"", "vecchio.pdf", ""}));
        QCOMPARE(cardLabels("lblDesc"), (QStringList{"", "Vecchio", ""}));
        QCOMPARE(m_folder->read(QStringLiteral("Libri.pro")), stored.bytes());
        return;
    }
    QTest::mouseClick(m_card->control(QStringLiteral("cmdSalva")), Qt::LeftButton);
    Record saved(TSchedaLibro);
    saved.bytes() = m_folder->read(QStringLiteral("Libri.pro"));
    QCOMPARE(saved.bytes().size(), stored.bytes().size());
    const std::pair<const char*, const char*> expected[] = {
        {"File01", "uno.pdf"}, {"Desc01", "Copertina"}, {"File02", ""}, {"Desc02", "Vecchio"}, {"File03", "tre.jpg"}, {"Desc03", "Retro"}};
    for (const auto& [field, value] : expected)
        QCOMPARE(saved.text(field), QString::fromUtf8(value));

    // After a restart the saved card opens its attachment again.
    Screens::destroyAll();
    Screens::createAll();
    m_card = Screens::frmLibri;
    m_card->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(m_card));
    QTest::mouseClick(m_card->control(QStringLiteral("cmdPrimo")), Qt::LeftButton);
    OpenLog opened;
    withScreen([&](TfrmAllegaCartella* s) { click(s, "btnApri03"); });
    QCOMPARE(opened.urls.size(), 1);
    QCOMPARE(opened.urls[0].toLocalFile(), ProgramFolder::file(kFolder + QStringLiteral("tre.jpg")));
    QVERIFY(QFileInfo::exists(opened.urls[0].toLocalFile()));
}

// clang-format off
void AttachmentsTest::writeBackByTag_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("target"); // empty: nothing written, screen stays
    QTest::newRow("libri") << QStringLiteral("libri") << QStringLiteral("TfrmLibri");
    QTest::newRow("dvd") << QStringLiteral("dvd") << QStringLiteral("TfrmDVD");
    QTest::newRow("bibliografie, blanks around") << QStringLiteral(" bibliografie ") << QStringLiteral("TfrmBibliografie");
    QTest::newRow("case matters") << QStringLiteral("Libri") << QString();
    QTest::newRow("other tag") << QStringLiteral("avvio") << QString();
    QTest::newRow("no tag") << QString() << QString();
}
// clang-format on

void AttachmentsTest::writeBackByTag()
{
    QFETCH(QString, tag);
    QFETCH(QString, target);
    QList<QWidget*> cards{Screens::frmLibri, Screens::frmDVD, Screens::frmBibliografie};
    for (QWidget* card : cards) {
        for (const char* n : kSuffix) {
            for (const char* kind : {"lblFile", "lblDesc"}) {
                const QString name = QLatin1String(kind) + QLatin1String(n);
                auto* l = card->findChild<QLabel*>(name);
                if (!l) { // the card screen is not built yet: give it its hidden labels
                    l = new QLabel(card);
                    l->setObjectName(name);
                    l->hide();
                }
                l->setText(QStringLiteral("prima"));
            }
        }
    }
    TfrmAllegaCartella s(m_card);
    s.setCallerTag(tag);
    s.setSlot(0, QStringLiteral("a.pdf"), QStringLiteral("A"));
    s.setSlot(1, QString(), QStringLiteral("B"));
    s.setSlot(2, QStringLiteral("c.pdf"), QString());
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    click(&s, "btnApplica");
    QCOMPARE(s.isVisible(), target.isEmpty());
    const QStringList written{"a.pdf", "A", "", "B", "c.pdf", ""};
    for (QWidget* card : cards) {
        QStringList values;
        for (const char* n : kSuffix)
            for (const char* kind : {"lblFile", "lblDesc"})
                values << card->findChild<QLabel*>(QLatin1String(kind) + QLatin1String(n))->text();
        QCOMPARE(values, card->objectName() == target ? written : QStringList(6, QStringLiteral("prima")));
    }
}

// One rule for an attachment's name wherever a name comes in: the
// screen's Apri opens only a name inside the folder, the folder stores
// only such a name whatever its caller checked, and the import refuses a
// card naming anything else.
// clang-format off
void AttachmentsTest::attachmentNameRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bare");
    QTest::addColumn<bool>("onCards"); // a card may hold it: the screen and the import see it too
    QTest::newRow("bare name") << QStringLiteral("scheda 1.pdf") << true << true;
    QTest::newRow("bare name with blanks") << QStringLiteral("  Il mio file.pdf ") << true << true;
    QTest::newRow("name with dots") << QStringLiteral("..x..pdf") << true << true;
    QTest::newRow("device-like but longer") << QStringLiteral("console.txt") << true << true;
    QTest::newRow("parent folder") << QStringLiteral("../escaped") << false << true;
    QTest::newRow("parent folder, Windows") << QStringLiteral("..\\escaped") << false << true;
    QTest::newRow("parent folders, Windows") << QStringLiteral("..\\..\\x") << false << true;
    QTest::newRow("parent folders, slash") << QStringLiteral("../../../etc/passwd") << false << true;
    QTest::newRow("the parent itself") << QStringLiteral("..") << false << true;
    QTest::newRow("absolute") << QStringLiteral("/tmp/escaped") << false << true;
    QTest::newRow("absolute path") << QStringLiteral("/etc/passwd") << false << true;
    QTest::newRow("drive-relative") << QStringLiteral("C:x") << false << true;
    QTest::newRow("drive-relative file") << QStringLiteral("C:autoexec.bat") << false << true;
    QTest::newRow("drive path") << QStringLiteral("C:\\x") << false << true;
    QTest::newRow("alternate stream") << QStringLiteral("a:b") << false << true;
    QTest::newRow("device") << QStringLiteral("con") << false << true;
    QTest::newRow("Windows device") << QStringLiteral("nul.txt") << false << true;
    QTest::newRow("device with extension") << QStringLiteral("NUL.pdf") << false << true;
    QTest::newRow("device in capitals") << QStringLiteral("AUX") << false << true;
    QTest::newRow("numbered device") << QStringLiteral("com1.txt") << false << true;
    QTest::newRow("printer port") << QStringLiteral("Lpt9") << false << true;
    // An empty slot is no attachment: there is nothing to open or refuse.
    QTest::newRow("empty") << QString() << false << false;
}
// clang-format on

void AttachmentsTest::attachmentNameRule()
{
    QFETCH(QString, name);
    QFETCH(bool, bare);
    QFETCH(bool, onCards);
    const QString trimmed = name.trimmed();

    if (onCards) {
        // The screen: the card's name is shown and kept as it came, refused or not.
        OpenLog opened;
        setCardSlots({"", name, ""}, {"", "", ""});
        withScreen([&](TfrmAllegaCartella* s) {
            click(s, "btnApri02");
            QCOMPARE(edit(s, "txtFile02")->text(), trimmed);
        });
        if (bare) {
            QCOMPARE(opened.urls.size(), 1);
            QCOMPARE(opened.urls[0].toLocalFile(), ProgramFolder::file(kFolder + trimmed));
            QVERIFY(m_log->entries.isEmpty());
        } else {
            QVERIFY(opened.urls.isEmpty());
            QCOMPARE(m_log->entries.size(), 1);
            QCOMPARE(m_log->entries[0].kind, Msg::Kind::Warning);
            QCOMPARE(m_log->entries[0].text, kNotBare);
        }

        // The import.
        CardImport import(Books::collection());
        const bool read = import.read("Titolo;Codice;Autore;File01\nT;C5;A;" + name.toUtf8() + "\n");
        if (bare) {
            QVERIFY2(read, qPrintable(import.report().join(QLatin1Char('\n'))));
            Record r(TSchedaLibro);
            r.bytes() = import.records();
            QCOMPARE(r.text("File01"), trimmed);
        } else {
            QVERIFY(!read);
            QCOMPARE(import.report(),
                QStringList{QStringLiteral(
                    "riga 2, colonna D (\"File01\"): \"%1\" non è un nome di allegato "
                    "ammesso: solo il nome del file nella cartella Documenti_Allegati, senza cartelle, \":\" o nomi di dispositivo")
                                .arg(trimmed)});
        }
    }

    // The folder itself, whatever its caller checked. The program folder
    // sits one level down, so that nothing written outside the attachments
    // folder leaves the test's own folder.
    QCOMPARE(AttachmentFolder::isBareName(trimmed), bare);
    ProgramFolder::setPath(m_folder->file("programma"));
    QVERIFY(QDir().mkpath(m_folder->file("programma")));
    QVERIFY(AttachmentFolder::create());
    m_folder->write("sorgente.pdf", "contenuto");
    QCOMPARE(AttachmentFolder::copyIn(m_folder->file("sorgente.pdf"), trimmed), bare);
    QCOMPARE(QDir(AttachmentFolder::path()).entryList(QDir::Files | QDir::Hidden), bare ? QStringList{trimmed} : QStringList{});
    QVERIFY(!QFileInfo::exists(m_folder->file("programma/escaped")));
}

QTEST_MAIN(AttachmentsTest)
#include "test_attachments.moc"
