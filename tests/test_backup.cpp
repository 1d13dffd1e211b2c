// Safety copies on the screens: the copy at close, the "Strumenti" list and
// the copies screen. What a copy holds, rotation, restore and the zips it
// must refuse are tested without a screen in test_backup_core.
#include "BackupFixtures.h"
#include "TestSupport.h"

#include "core/access/IniFile.h"
#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/backup/Catalogue.h"
#include "core/backup/CatalogueMark.h"
#include "core/backup/Restore.h"
#include "core/backup/SafetyCopy.h"
#include "core/backup/StagingFolder.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/RecordStore.h"
#include "core/storage/RestoreJournal.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/backup/CopyAtClose.h"
#include "ui/backup/TfrmCopie.h"
#include "ui/cards/CardScreen.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/registry/Screens.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/tools/TfrmStrumenti.h"
#include "ui/tools/Tools.h"

#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <functional>

using namespace BackupFixtures;

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        Clock::setFixed({});
        SafetyCopy::setFreeSpaceForTests(-1);
    }

    void closingTakesACopyWhenDue();
    void toolsListOpensEachTool();
    void everyToolShowsItsGuide_data();
    void everyToolShowsItsGuide();
    void copiesScreenMakesListsAndRestores();
};

void BackupTest::closingTakesACopyWhenDue()
{
    TestFolder folder;
    MessageLog log;
    fill(folder);
    Screens::createAll();
    TForm* menu = Screens::get(Screens::Id::Avvio);
    menu->showScreen();
    const auto before = tree(folder.path(), kCopies);

    bool ran = false;
    auto made = CopyAtClose::run(menu, &ran);
    QVERIFY(ran && made.ok);
    auto* line = menu->control<QLabel>(CopyAtClose::kLineName);
    QVERIFY(line && line->isVisible());
    QCOMPARE(line->text(), CopyAtClose::kDone);
    QCOMPARE(unzipAll(made.path), catalogueOf(folder.path()));
    QVERIFY(log.entries.isEmpty());

    // Within the day, no second copy.
    QVERIFY(CopyAtClose::run(menu, &ran).ok);
    QVERIFY(!ran);
    QCOMPARE(SafetyCopy::list(SafetyCopy::folder()).size(), 1);

    // A folder that cannot be made: the user is told, the catalogue stays.
    Clock::setFixed(QDateTime::currentDateTime().addDays(2));
    folder.write(QStringLiteral("Tomaria.ini"), QByteArray("[Copie]\r\nCartella=Libri.xls/copie\r\n"));
    const auto ini = tree(folder.path(), kCopies);
    made = CopyAtClose::run(menu, &ran);
    QVERIFY(ran && !made.ok);
    QCOMPARE(line->text(), CopyAtClose::kFailed);
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries[0].kind, Msg::Kind::Error);
    QCOMPARE(log.entries[0].text, SafetyCopy::failureMessage(made.error));
    QVERIFY(made.error.contains(QStringLiteral("Libri.xls")));
    QCOMPARE(tree(folder.path(), kCopies), ini);
    Screens::destroyAll();
}

void BackupTest::toolsListOpensEachTool()
{
    TestFolder folder;
    MessageLog log;
    Screens::createAll();
    auto* menu = static_cast<TfrmAvvio*>(Screens::get(Screens::Id::Avvio));
    menu->showScreen();
    // The loans picture moved into the list; the menu keeps one entry.
    QVERIFY(!menu->control(QStringLiteral("imgPrestiti")));
    auto* entry = menu->control<Picture>(QStringLiteral("imgStrumenti"));
    QVERIFY(entry);
    QCOMPARE(entry->geometry(), QRect(871, 20, 48, 48));

    QStringList listed;
    onNextModal<TfrmStrumenti>([&](TfrmStrumenti* list) {
        QList<int> rows;
        for (const Tool& tool : Tools::all()) {
            auto* picture = list->control<Picture>(tool.name);
            auto* caption = list->control<QPushButton>(tool.name + QStringLiteral("Voce"));
            if (picture && caption && caption->text() == tool.caption) {
                listed << tool.name;
                rows << picture->y();
            }
        }
        if (!std::is_sorted(rows.begin(), rows.end()))
            listed.clear();
        list->btnChiudiClick();
    });
    menu->imgStrumentiClick();
    QStringList names;
    for (const Tool& tool : Tools::all())
        names << tool.name;
    QCOMPARE(listed, names);
    QVERIFY(names.contains(QStringLiteral("imgPrestiti")) && names.contains(QStringLiteral("imgCopie")));
    // The hints name the collections each tool serves.
    QStringList hints;
    for (const Tool& tool : Tools::all())
        hints << tool.hint;
    QVERIFY(hints.contains(QStringLiteral("Visualizza i libri e i DVD in prestito.")));
    QVERIFY(hints.contains(QStringLiteral("Etichette per il dorso e con il codice a barre, per libri e DVD.")));

    // A pick closes the list and opens the tool over the menu.
    QWidget* owner = nullptr;
    onNextModal<TfrmCopie>([&](TfrmCopie* screen) {
        owner = screen->parentWidget();
        screen->btnChiudiClick();
    });
    onNextModal<TfrmStrumenti>([](TfrmStrumenti* list) { list->pick(QStringLiteral("imgCopie")); });
    menu->imgStrumentiClick();
    QCOMPARE(owner, static_cast<QWidget*>(menu));
    QVERIFY(log.entries.isEmpty());
    Screens::destroyAll();
}

void BackupTest::everyToolShowsItsGuide_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("opening"); // the topic's first words
    // clang-format off
    const QHash<QString, QPair<QString, QString>> guides{
        {QStringLiteral("imgPrestiti"), {QStringLiteral("Prestiti in corso."), QStringLiteral("La voce \"Prestiti in corso\" dell'elenco")}},
        {QStringLiteral("imgCopie"), {QStringLiteral("Copie di sicurezza."), QStringLiteral("La schermata Copie di sicurezza protegge il catalogo")}},
        {QStringLiteral("imgEtichette"), {QStringLiteral("Etichette."), QStringLiteral("La schermata Etichette prepara le etichette")}},
        {QStringLiteral("imgStatistiche"), {QStringLiteral("Statistiche del catalogo."), QStringLiteral("La schermata Statistiche del catalogo mostra")}},
        {QStringLiteral("imgBanco"), {QStringLiteral("Banco prestiti."), QStringLiteral("Il banco prestiti serve a prestare")}},
        {QStringLiteral("imgInventario"), {QStringLiteral("Inventario."), QStringLiteral("L'inventario controlla uno scaffale")}},
        {QStringLiteral("imgTrasferimento"), {QStringLiteral("Importa ed esporta."), QStringLiteral("La schermata Importa ed esporta porta il catalogo")}},
        {QStringLiteral("imgCatalogoInRete"), {QStringLiteral("Catalogo in rete."), QStringLiteral("La schermata Catalogo in rete mette il catalogo")}},
    };
    // clang-format on
    for (const Tool& tool : Tools::all()) {
        const auto guide = guides.value(tool.name);
        QTest::newRow(qPrintable(tool.name)) << tool.name << guide.first << guide.second;
    }
}

// The guide's picture in each tool's banner shows the tool's own topic,
// over the tool.
void BackupTest::everyToolShowsItsGuide()
{
    QFETCH(QString, tool);
    QFETCH(QString, title);
    QFETCH(QString, opening);
    QVERIFY2(!title.isEmpty(), "a tool without its guide");
    TestFolder folder;
    MessageLog log;
    Screens::createAll();
    auto* menu = static_cast<TfrmAvvio*>(Screens::get(Screens::Id::Avvio));
    menu->showScreen();
    QString shownTitle, shownText;
    QWidget* helpOwner = nullptr;
    QWidget* toolScreen = nullptr;
    onNextModal<TForm>([&](TForm* screen) {
        toolScreen = screen;
        auto* guida = screen->findChild<Picture*>(QStringLiteral("imgGuida"));
        if (!guida)
            return;
        onNextModal<TfrmGuida>([&](TfrmGuida* help) {
            helpOwner = help->parentWidget();
            shownTitle = help->control<QLabel>(QStringLiteral("lblTitolo"))->text();
            shownText = help->control<QPlainTextEdit>(QStringLiteral("txtGuida"))->toPlainText();
            help->close();
        });
        QTest::mouseClick(guida, Qt::LeftButton);
        screen->close();
    });
    for (const Tool& t : Tools::all()) {
        if (t.name == tool)
            t.open(menu);
    }
    QVERIFY(toolScreen);
    QCOMPARE(helpOwner, toolScreen);
    QCOMPARE(shownTitle, title);
    QVERIFY2(shownText.startsWith(opening), qPrintable(shownText.left(200)));
    QVERIFY(log.entries.isEmpty());
}

void BackupTest::copiesScreenMakesListsAndRestores()
{
    TestFolder folder;
    MessageLog log;
    fill(folder);
    const auto original = catalogueOf(folder.path());
    QStringList rowsAfterMake, rowsAfterRestore;
    QString cardsColumn;
    // A book card left showing a card of the catalogue that the restore
    // replaces: its next Salva would write that card back.
    Screens::createAll();
    CardScreen* card = cardScreenFor(Text::latin1(Books::collection().callerTag));
    QVERIFY(card);
    card->cmdPrimoClick();
    auto* title = card->findChild<QLineEdit*>(QStringLiteral("txtTitolo"));
    QVERIFY(title && !title->text().isEmpty());
    onNextModal<TfrmCopie>([&](TfrmCopie* screen) {
        if (screen->lstCopie()->topLevelItemCount() != 0)
            return;
        screen->btnCreaClick();
        for (int i = 0; i < screen->lstCopie()->topLevelItemCount(); ++i)
            rowsAfterMake << screen->lstCopie()->topLevelItem(i)->text(3);
        cardsColumn = screen->lstCopie()->topLevelItem(0)->text(2);
        // The cards of each archive show whole; the file's name gives room.
        const QFontMetrics metrics(screen->lstCopie()->font());
        QVERIFY2(screen->lstCopie()->header()->sectionSize(2) >= metrics.horizontalAdvance(cardsColumn),
            qPrintable(QString::number(screen->lstCopie()->header()->sectionSize(2))));
        QCOMPARE(screen->control<QLabel>(QStringLiteral("lblStato"))->text(), QStringLiteral("1 copia di sicurezza."));
        grabForALook(screen, QStringLiteral("copie"));

        // Declined: nothing happens.
        folder.write(QStringLiteral("DVD.pro"), QByteArray());
        log.answers = {false};
        screen->btnRipristinaClick();
        if (!folder.read(QStringLiteral("DVD.pro")).isEmpty())
            return;
        Clock::setFixed(QDateTime::currentDateTime().addSecs(5));
        log.answers = {true};
        screen->lstCopie()->setCurrentItem(screen->lstCopie()->topLevelItem(0));
        screen->btnRipristinaClick();
        for (int i = 0; i < screen->lstCopie()->topLevelItemCount(); ++i)
            rowsAfterRestore << screen->lstCopie()->topLevelItem(i)->text(3);
        screen->btnChiudiClick();
    });
    TfrmCopie::open(nullptr);
    QCOMPARE(rowsAfterMake.size(), 1);
    QCOMPARE(cardsColumn, QStringLiteral("Libri.pro: 2, DVD.pro: 3, 2024.art: 1, 2025.art: 2"));
    QCOMPARE(catalogueOf(folder.path()), original);
    // The catalogue of before the restore is the newest copy.
    QCOMPARE(rowsAfterRestore.size(), 2);
    QCOMPARE(rowsAfterRestore[1], rowsAfterMake[0]);
    QCOMPARE(log.entries.size(), 4);
    QCOMPARE(log.entries[0].kind, Msg::Kind::Information);
    QCOMPARE(log.entries[1].kind, Msg::Kind::Confirmation);
    QCOMPARE(log.entries[3].kind, Msg::Kind::Information);
    // The question says what will change; the answer names the whole path
    // of the copy of before.
    for (const QString& line : {QStringLiteral("Libri.pro: 2 schede ora, 2 schede nella copia"),
             QStringLiteral("DVD.pro: 0 schede ora, 3 schede nella copia"), QStringLiteral("2025.art: 2 schede ora, 2 schede nella copia")})
        QVERIFY2(log.entries[1].text.contains(line), qPrintable(log.entries[1].text));
    QVERIFY(log.entries[3].text.contains(QDir::toNativeSeparators(folder.file(kCopies + QLatin1Char('/') + rowsAfterRestore[0]))));
    QVERIFY(title->text().isEmpty());
    Screens::destroyAll();
}

QTEST_MAIN(BackupTest)
#include "test_backup.moc"
