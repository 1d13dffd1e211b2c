#include "TestSupport.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/text/Text.h"
#include "ui/articles/TfrmBibliografie.h"
#include "ui/dvd/TfrmDVD.h"
#include "ui/shell/Controls.h"

#include "core/text/HelpText.h"
#include "core/text/Maker.h"
#include "ui/shell/Picture.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TextLink.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/books/TfrmLibri.h"
#include "core/storage/ProgramFolder.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrlQuery>

#include <functional>

namespace {

const QString kMenuOpening = QStringLiteral(
    "Tomaria è un software rivolto agli appassionati di lettura e alle biblioteche che vogliono gestire i libri, "
    "i DVD e gli articoli giornalistici della propria collezione in maniera rapida e professionale.");
const QString kBooksOpening = QStringLiteral(
    "L'applicazione Archivio Libri presenta una serie di campi di testo in cui bisogna inserire le informazioni "
    "riguardanti ciascuna opera presente nella propria biblioteca.");

} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void linksOpenTheirTarget_data();
    void linksOpenTheirTarget();
    void eachOpeningIsAFreshScreen();
    void helpScreenTakesItsSizeAtEveryShow();
    void topicTexts();

private:
    // Clicks `icon` on the main menu and, in the dialog it opens, works the
    // link and its picture the way a user does; returns what was opened.
    QList<QUrl> useLinkOf(const char* icon, const char* dialog, const char* picture);

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
    QString m_programFolder;
};

void HelpTest::init()
{
    m_folder = new TestFolder;
    // A program folder with blanks in its path, as under "Program Files".
    m_programFolder = m_folder->path() + QStringLiteral("Cartella con spazi/");
    QVERIFY(QDir().mkpath(m_programFolder));
    ProgramFolder::setPath(m_programFolder);
    m_log = new MessageLog;
    Screens::createAll();
    Screens::frmAvvio->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(Screens::frmAvvio));
}

void HelpTest::cleanup()
{
    Screens::destroyAll();
    delete m_log;
    delete m_folder;
}

QList<QUrl> HelpTest::useLinkOf(const char* icon, const char* dialog, const char* picture)
{
    OpenLog opened;
    bool driven = false;
    onNextModal<TForm>([&](TForm* screen) {
        driven = true;
        QCOMPARE(screen->objectName(), QLatin1String(dialog));
        auto* link = screen->control<TextLink>(QStringLiteral("lnkWeb"));
        auto* pic = screen->control<Picture>(QLatin1String(picture));
        QVERIFY(link && pic);
        QVERIFY(link->font().underline());
        QCOMPARE(link->colour(), QColor(0x00, 0x00, 0x8B));

        // Held down: orange; released away from the link: dark blue, nothing opened.
        QTest::mousePress(link, Qt::LeftButton);
        QCOMPARE(link->colour(), QColor(0xFF, 0xA5, 0x00));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-40, -40));
        QCOMPARE(link->colour(), QColor(0x00, 0x00, 0x8B));
        QVERIFY(opened.urls.isEmpty());

        // The picture colours the link too, and both open the same target.
        QTest::mousePress(pic, Qt::LeftButton);
        QCOMPARE(link->colour(), QColor(0xFF, 0xA5, 0x00));
        QTest::mouseRelease(pic, Qt::LeftButton);
        QCOMPARE(link->colour(), QColor(0x00, 0x00, 0x8B));
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(opened.urls.size(), 2);
        QVERIFY(screen->isVisible()); // the screen stays open

        QTest::mouseClick(screen->control(QStringLiteral("btnChiudi")), Qt::LeftButton);
    });
    QTest::mouseClick(Screens::frmAvvio->control(QLatin1String(icon)), Qt::LeftButton);
    if (!driven)
        qWarning("no modal %s appeared", dialog);
    return driven ? opened.urls : QList<QUrl>();
}

// Each link of the help screens, pressed on its words and on its picture,
// opens its target and shows no message (a missing document included).
// clang-format off
void HelpTest::linksOpenTheirTarget_data()
{
    QTest::addColumn<QByteArray>("icon");
    QTest::addColumn<QByteArray>("dialog");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QUrl>("target"); // empty: the guide's document in the program folder
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(Maker::kEmail);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Software Tomaria"));
    query.addQueryItem(QStringLiteral("body"), QStringLiteral("Salve, desidererei avere le seguenti informazioni sul software in oggetto:"));
    mail.setQuery(query);
    QTest::newRow("the guide's PDF") << QByteArray("imgGuida") << QByteArray("TfrmGuida") << QByteArray("imgPDF") << QUrl();
    QTest::newRow("mail to the maker") << QByteArray("imgInfo") << QByteArray("TfrmInfo") << QByteArray("imgEmail") << mail;
    QTest::newRow("credits' site") << QByteArray("imgCopyright") << QByteArray("TfrmSplash") << QByteArray("imgWeb") << QUrl(Maker::kSite);
}
// clang-format on

void HelpTest::linksOpenTheirTarget()
{
    QFETCH(QByteArray, icon);
    QFETCH(QByteArray, dialog);
    QFETCH(QByteArray, picture);
    QFETCH(QUrl, target);
    if (target.isEmpty()) {
        QVERIFY(!QFile::exists(m_programFolder + QStringLiteral("Guida.pdf")));
        target = QUrl::fromLocalFile(m_programFolder + QStringLiteral("Guida.pdf"));
    }
    const QList<QUrl> urls = useLinkOf(icon.constData(), dialog.constData(), picture.constData());
    QCOMPARE(urls.size(), 2);
    for (const QUrl& url : urls) {
        QCOMPARE(url.adjusted(QUrl::RemoveQuery), target.adjusted(QUrl::RemoveQuery));
        QCOMPARE(url.toLocalFile(), target.toLocalFile());
        QCOMPARE(QUrlQuery(url).queryItems(QUrl::FullyDecoded), QUrlQuery(target).queryItems(QUrl::FullyDecoded));
    }
    QVERIFY(m_log->entries.isEmpty());
}

void HelpTest::eachOpeningIsAFreshScreen()
{
    // The main-menu topic, scrolled to its end, then the book card's topic.
    QPointer<TfrmGuida> first;
    onNextModal<TfrmGuida>([&](TfrmGuida* help) {
        first = help;
        QCOMPARE(help->windowTitle(), QStringLiteral(" Guida all'utilizzo del software"));
        QCOMPARE(help->control<QLabel>("lblTitolo")->text(), QStringLiteral("Uno sguardo a Tomaria."));
        auto* text = help->control<QPlainTextEdit>("txtGuida");
        QVERIFY(text->isReadOnly());
        QVERIFY(text->toPlainText().startsWith(kMenuOpening));
        text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
        QVERIFY(text->verticalScrollBar()->value() > 0);
        help->close();
    });
    QTest::mouseClick(Screens::frmAvvio->control("imgGuida"), Qt::LeftButton);
    QVERIFY(first.isNull()); // destroyed when it closed

    QTest::mouseClick(Screens::frmAvvio->control("imgLibri"), Qt::LeftButton);
    bool second = false;
    onNextModal<TfrmGuida>([&](TfrmGuida* help) {
        second = true;
        QCOMPARE(help->parentWidget(), static_cast<QWidget*>(Screens::frmLibri));
        QCOMPARE(help->control<QLabel>("lblTitolo")->text(), QStringLiteral("Applicazione Archivio Libri."));
        auto* text = help->control<QPlainTextEdit>("txtGuida");
        QCOMPARE(text->toPlainText(), HelpText::topic(QStringLiteral("libri")).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY(!text->toPlainText().contains(kMenuOpening));
        QCOMPARE(text->verticalScrollBar()->value(), 0);
        QTest::mouseClick(help->control(QStringLiteral("btnChiudi")), Qt::LeftButton);
    });
    QTest::mouseClick(Screens::frmLibri->control("cmdGuida"), Qt::LeftButton);
    QVERIFY(second);
    QVERIFY(Screens::frmLibri->findChildren<TfrmGuida*>().isEmpty());
}

void HelpTest::helpScreenTakesItsSizeAtEveryShow()
{
    TfrmGuida help(Screens::frmAvvio);
    for (int round = 0; round < 2; ++round) {
        help.setFixedSize(300 + round * 500, 200);
        QSize shown;
        onNextModal<TfrmGuida>([&](TfrmGuida* h) {
            shown = h->size();
            h->close();
        });
        help.execModal();
        QCOMPARE(shown, QSize(670, 572));
    }
}

void HelpTest::topicTexts()
{
    struct Topic {
        const char* name;
        const QString& opening;
        int paragraphs;
    };
    const QString dvdOpening = QStringLiteral(
        "L'ambiente per la gestione dei DVD presenta una serie di campi di testo in cui bisogna inserire le informazioni "
        "riguardanti ciascun film o documentario. I campi a compilazione obbligatoria sono quelli del titolo e del codice "
        "identificativo del DVD.");
    const QString articlesOpening = QStringLiteral(
        "L'applicazione Articoli Giornalistici mette a disposizione un ambiente in cui registrare in archivi annuali gli "
        "articoli, recensioni o testi di altro genere che si intende catalogare in base alle proprie esigenze.");
    const QString articlesExportOpening = QStringLiteral(
        "Il pulsante Esporta archivio consente di esportare lo schedario degli articoli giornalistici in un foglio di lavoro "
        "di Microsoft Excel, che potrà essere aperto con qualsiasi software in grado di gestire i file in formato XLS "
        "(ad esempio, con Open Office, Libre Office o Microsoft Office).");
    const QString dvdExportOpening = QStringLiteral(
        "Il pulsante Esporta archivio consente di esportare l'archivio dei DVD in un foglio di lavoro di Microsoft Excel, "
        "che potrà essere aperto con qualsiasi software in grado di gestire i file in formato XLS (ad esempio, con Open "
        "Office, Libre Office o Microsoft Office).");
    const Topic topics[] = {{"avvio", kMenuOpening, 16}, {"libri", kBooksOpening, 8}, {"dvd", dvdOpening, 6},
        {"esporta_dvd", dvdExportOpening, 3}, {"esporta_articoli", articlesExportOpening, 3}};
    for (const Topic& t : topics) {
        const QStringList paragraphs = HelpText::topic(QLatin1String(t.name)).split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(paragraphs.size(), t.paragraphs);
        QVERIFY2(paragraphs.first().startsWith(t.opening), t.name);
        for (const QString& p : paragraphs)
            QVERIFY2(!p.trimmed().isEmpty() && !p.contains(QLatin1Char('\n')), t.name);
    }
    QVERIFY(HelpText::topic(QStringLiteral("articoli")).startsWith(articlesOpening));
    // Every topic a card or an export screen opens is there.
    for (const Collection* c : Collection::all()) {
        for (const HelpTopic& h : {c->cardHelp, c->exportHelp})
            QVERIFY2(!HelpText::topic(Text::utf8(h.topic)).isEmpty(), h.topic.data());
    }
    // The initial password, to be typed in lower case at the first access.
    QVERIFY(HelpText::topic(QStringLiteral("avvio")).contains(QStringLiteral("«benvenutolibro»")));
}

QTEST_MAIN(HelpTest)
#include "test_help.moc"
