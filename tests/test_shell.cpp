#include "TestSupport.h"

#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Startup.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TForm.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/shell/TfrmSplash.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "ui/dvd/TfrmDVD.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QHash>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <memory>

namespace {
int endRequests = 0;
void countEnd()
{
    ++endRequests;
}

// What a desktop title bar shows: Qt's window systems append " — " and the
// display name, when the program has set one, to every title that does not
// already end in it.
QString titleBar(const QWidget* window)
{
    // Unless it was set, the display name follows the application name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name + QStringLiteral("?"));
    const bool displayNameSet = QGuiApplication::applicationDisplayName() != QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name);
    const QString displayName = QGuiApplication::applicationDisplayName();
    if (!displayNameSet || window->windowTitle().endsWith(displayName))
        return window->windowTitle();
    return window->windowTitle() + QString::fromUtf8(" — ") + displayName;
}
} // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void screensCreatedOnceWithTheirCaptions();
    void mainMenuTilesStandWhereTheyStood();
    void mainMenuHandsOverToTheBookCardAndBack();
    void closingTheMainMenuEndsTheProgram();
    void windowKinds();
    void siteLinkOpensTheMakersAddress();
    void titleBarsShowTheCaptionsAsTheyAre();
    void messageBoxes_data();
    void messageBoxes();
    void focusedButtonsShowTheirFocus();

private:
    TestFolder* m_folder = nullptr;
};

void ShellTest::initTestCase()
{
    // The application as the program configures it.
    Startup::configure(*qApp);
}

void ShellTest::init()
{
    m_folder = new TestFolder;
    endRequests = 0;
    Screens::setEndHandler(&countEnd);
    Screens::createAll();
}

void ShellTest::cleanup()
{
    Screens::destroyAll();
    Screens::setEndHandler(nullptr);
    delete m_folder;
}

void ShellTest::screensCreatedOnceWithTheirCaptions()
{
    // The caption each start-up screen shows (none: made at run time).
    // clang-format off
    const QHash<QString, const char*> captions = {
        {"TfrmPassword", " Tomaria - Accedi"},
        {"TfrmAvvio", " Tomaria"},
        {"TfrmCambiaPassword", " Cambia password"},
        {"TfrmGuida", " Guida all'utilizzo del software"},
        {"TfrmInfo", " Informazioni su Tomaria"},
        {"TfrmSplash", nullptr},
        {"TfrmMenuServizi", " Tomaria - Articoli Giornalistici"},
        {"TfrmBibliografie", " Tomaria - Articoli giornalistici"},
        {"TfrmAllegaCartella", " Allega file"},
        {"TfrmTrovaBibliografie", " Trova articoli in schedario"},
        {"TfrmCreaRTF", " Esporta scheda in RTF"},
        {"TfrmExpBibliografie", " Esporta schedario articoli giornalistici in Microsoft Excel"},
        {"TfrmLibri", " Tomaria - Archivio Libri"},
        {"TfrmCodici_Dewey", " Tabella Codici Dewey"},
        {"TfrmTrovaLibri", " Trova libri in archivio"},
        {"TfrmExpLibri", " Esporta archivio libri in Microsoft Excel"},
        {"TfrmTrovaDisponibili", " Trova libri disponibili per il prestito"},
        {"TfrmStampaLibro", " Stampa scheda libro"},
        {"TfrmDVD", " Tomaria - Archivio DVD"},
        {"TfrmExpDVD", " Esporta archivio DVD in Microsoft Excel"},
        {"TfrmStampaDVD", " Stampa scheda DVD"},
        {"TfrmTrovaDVD", " Trova DVD in archivio"},
        {"TfrmTrovaDisponibiliDVD", " Trova DVD disponibili per il prestito"},
    };
    // clang-format on
    // Created once each, each with its caption, none shown yet.
    QSet<QString> seen;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* f = qobject_cast<TForm*>(w);
        if (!f)
            continue;
        const QString name = f->objectName();
        QVERIFY2(captions.contains(name), qPrintable(name));
        QVERIFY2(!seen.contains(name), qPrintable(name));
        seen.insert(name);
        QVERIFY2(f->windowTitle().startsWith(QLatin1Char(' ')), qPrintable(name));
        if (const char* caption = captions.value(name))
            QCOMPARE(f->windowTitle(), QString::fromUtf8(caption));
        QVERIFY2(!f->isVisible(), qPrintable(name)); // nothing is shown until start-up shows it
    }
    QCOMPARE(seen.size(), captions.size());
    // Every screen of the vocabulary is the start-up screen of its class.
    for (int i = 0; i < static_cast<int>(Screens::Id::Count); ++i) {
        TForm* f = Screens::get(static_cast<Screens::Id>(i));
        QVERIFY(f);
        QCOMPARE(Screens::named(f->objectName()), f);
    }
    QCOMPARE(Screens::role(Screens::Role::Login), Screens::get(Screens::Id::Password));
    QCOMPARE(Screens::frmSplash->windowTitle().left(10), QStringLiteral(" Tomaria -"));
}

void ShellTest::mainMenuTilesStandWhereTheyStood()
{
    // The tiles come from the list of collections; the program's three stand
    // where the menu always had them, 320 apart.
    const char* names[] = {"Libri", "DVD", "Articoli"};
    for (int i = 0; i < 3; ++i) {
        const QString name = QLatin1String(names[i]);
        QCOMPARE(Screens::frmAvvio->control(QStringLiteral("img") + name)->geometry(), QRect(47 + 320 * i, 196, 260, 220));
        QCOMPARE(Screens::frmAvvio->control(QStringLiteral("btn") + name)->geometry(), QRect(47 + 320 * i, 426, 260, 44));
    }
}

void ShellTest::mainMenuHandsOverToTheBookCardAndBack()
{
    Screens::frmAvvio->showScreen();
    QTest::mouseClick(Screens::frmAvvio->control("imgLibri"), Qt::LeftButton);
    QVERIFY(Screens::frmLibri->isVisible());
    QVERIFY(!Screens::frmAvvio->isVisible());
    QVERIFY(Screens::frmLibri->isMaximized());
    QTest::mouseClick(Screens::frmLibri->control("cmdEsci"), Qt::LeftButton);
    QVERIFY(Screens::frmAvvio->isVisible());
    QVERIFY(!Screens::frmLibri->isVisible());
    QCOMPARE(endRequests, 0);

    // The DVD tile's button picture leads to the DVD card, whose close comes back.
    QTest::mouseClick(Screens::frmAvvio->control("btnDVD"), Qt::LeftButton);
    QVERIFY(!Screens::frmAvvio->isVisible());
    Screens::frmDVD->close();
    QVERIFY(Screens::frmAvvio->isVisible());
}

void ShellTest::closingTheMainMenuEndsTheProgram()
{
    Screens::frmAvvio->showScreen();
    Screens::frmAvvio->close();
    QCOMPARE(endRequests, 1);
    Screens::frmAvvio->showScreen();
    QTest::mouseClick(Screens::frmAvvio->control("imgEsci"), Qt::LeftButton);
    QCOMPARE(endRequests, 2);
}

void ShellTest::windowKinds()
{
    TForm* card = Screens::frmLibri;
    card->showScreen();
    QVERIFY(card->isMaximized());
    card->showNormal();
    card->resize(1400, 900);
    QApplication::processEvents();
    QWidget* panel = card->panContainer();
    QCOMPARE(panel->size(), QSize(995, 692));
    QCOMPARE(panel->geometry().center(), card->rect().center());

    TForm dialog(card, TForm::Kind::Dialog, QStringLiteral(" Prova"), QSize(300, 200));
    QCOMPARE(dialog.size(), QSize(300, 200));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
}

void ShellTest::siteLinkOpensTheMakersAddress()
{
    OpenLog opened;
    QTest::mouseClick(Screens::frmAvvio->control("imgSito"), Qt::LeftButton);
    QCOMPARE(opened.urls.size(), 1);
    QVERIFY(opened.urls.first().scheme().startsWith(QLatin1String("http")));
    QVERIFY(!opened.urls.first().host().isEmpty());
}

void ShellTest::titleBarsShowTheCaptionsAsTheyAre()
{
    QCOMPARE(titleBar(Screens::frmTrovaLibri), QStringLiteral(" Trova libri in archivio"));
}

// clang-format off
void ShellTest::messageBoxes_data()
{
    const QString first = QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.");
    const QString second = QStringLiteral("Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
    QTest::addColumn<Msg::Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("shown");
    // Either separator shows as one empty line, with or without an icon.
    const QString oneEmptyLine = first + QStringLiteral("\n\n") + second;
    QTest::newRow("error") << Msg::Kind::Error << Msg::accessMessage() << "Errore" << QStringList{"OK", "Annulla"} << oneEmptyLine;
    QTest::newRow("plain") << Msg::Kind::Plain << Msg::accessMessage() << "Tomaria" << QStringList{"OK"} << oneEmptyLine;
    QTest::newRow("warning, CR LF") << Msg::Kind::Warning << first + Msg::kCrLfCrLf + second << "Avviso"
                                    << QStringList{"OK", "Annulla"} << oneEmptyLine;
    QTest::newRow("confirmation") << Msg::Kind::Confirmation << first << "Conferma" << QStringList{"Sì", "No"} << first;
    QTest::newRow("information") << Msg::Kind::Information << second << "Informazione" << QStringList{"OK", "Annulla"}
                                 << second;
}
// clang-format on

void ShellTest::messageBoxes()
{
    QFETCH(Msg::Kind, kind);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(QString, shown);
    const std::unique_ptr<QMessageBox> box = Msg::build(Screens::frmAvvio, kind, text);
    QCOMPARE(titleBar(box.get()), title);
    QCOMPARE(box->text(), shown);
    QStringList texts;
    for (QAbstractButton* b : box->buttons())
        texts << b->text();
    texts.sort();
    buttons.sort();
    QCOMPARE(texts, buttons);
}

void ShellTest::focusedButtonsShowTheirFocus()
{
    // Every push button of every screen, focused the way a screen does it
    // (Enter in a field that leads to the button), shows the yellow frame
    // of the focused fields behind it, and only while it has the focus.
    MessageLog log;
    int checked = 0;
    for (int id = 0; id < static_cast<int>(Screens::Id::Count); ++id) {
        TForm* screen = Screens::get(static_cast<Screens::Id>(id));
        const auto buttons = screen->findChildren<QPushButton*>();
        if (buttons.isEmpty())
            continue;
        screen->show();
        screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen));
        for (QPushButton* button : buttons) {
            if (!button->isVisibleTo(screen) || !button->isEnabled())
                continue;
            const QString name = screen->objectName() + QLatin1Char('.') + button->objectName();
            auto* frame = screen->findChild<QFrame*>(QStringLiteral("eff") + button->objectName());
            QVERIFY2(frame, qPrintable(name));
            QVERIFY2(frame->geometry().contains(button->geometry()) && frame->parentWidget() == button->parentWidget(), qPrintable(name));
            button->setFocus(Qt::OtherFocusReason);
            QVERIFY2(frame->isVisibleTo(screen), qPrintable(name));
            button->clearFocus();
            QVERIFY2(!frame->isVisibleTo(screen), qPrintable(name));
            ++checked;
        }
        screen->hide();
    }
    // The password screens, the year screen, the searches and the dialogs.
    QVERIFY2(checked >= 20, qPrintable(QString::number(checked)));
}

QTEST_MAIN(ShellTest)
#include "test_shell.moc"
