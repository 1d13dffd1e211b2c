#include "TestSupport.h"

#include "ui/registry/ScreenRegistry.h"
#include "ui/shell/Screens.h"
#include "ui/shell/TForm.h"
#include "ui/shell/TfrmAvvio.h"
#include "ui/shell/TfrmSplash.h"
#include "ui/books/TfrmLibri.h"
#include "ui/dvd/TfrmDVD.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {
int endRequests = 0;
void countEnd() { ++endRequests; }
} // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void screensCreatedOnceInOrder();
    void mainMenuHandsOverToTheBookCardAndBack();
    void closingTheMainMenuEndsTheProgram();
    void windowKinds();
    void siteLinkOpensTheMakersAddress();

private:
    TestFolder* m_folder = nullptr;
};

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

void ShellTest::screensCreatedOnceInOrder()
{
    const QList<QPair<const char*, const char*>> registry = {
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
    // Created once each, in registry order.
    int topLevel = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        topLevel += qobject_cast<TForm*>(w) != nullptr;
    QCOMPARE(topLevel, registry.size());
    for (int i = 0; i < registry.size(); ++i) {
        const auto& [name, caption] = registry[i];
        TForm* f = Screens::get(static_cast<Screens::Id>(i));
        QCOMPARE(f->objectName(), QLatin1String(name));
        QVERIFY2(f->windowTitle().startsWith(QLatin1Char(' ')), name);
        if (caption)
            QCOMPARE(f->windowTitle(), QString::fromUtf8(caption));
        QVERIFY2(!f->isVisible(), name); // nothing is shown until start-up shows it
    }
    QCOMPARE(Screens::frmSplash->windowTitle().left(10), QStringLiteral(" Tomaria -"));
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

QTEST_MAIN(ShellTest)
#include "test_shell.moc"
