// The "Catalogo in rete" switch of Strumenti: it starts and stops the server
// inside the program, shows the address readers type, and prints a poster
// whose QR Code a phone's reader decodes to that address.
#include "CoreSupport.h"
#include "TestSupport.h"

#include "core/storage/ProgramFolder.h"
#include "print/report/ReportFonts.h"
#include "ui/tools/NetCatalogue.h"
#include "ui/tools/TfrmCatalogoInRete.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

constexpr int kWaitMs = 60'000;

// A port no one listens on now.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

int status(quint16 port, const QByteArray& target)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(kWaitMs))
        return 0;
    s.write("GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QByteArray got;
    while (s.waitForReadyRead(kWaitMs))
        got += s.readAll();
    return got.startsWith("HTTP/1.1 ") ? got.mid(9, 3).toInt() : 0;
}

} // namespace

class WebScreenTest : public QObject {
    Q_OBJECT
private slots:
    void switchStartsAndStopsAndThePosterCarriesTheAddress();
};

void WebScreenTest::switchStartsAndStopsAndThePosterCarriesTheAddress()
{
    ReportFonts::ensureSubstitutes();
    TestFolder folder;
    ProgramFolder::setPath(folder.path());
    qputenv("XDG_DATA_HOME", folder.path().toUtf8() + "dati");
    TfrmCatalogoInRete screen;
    QVERIFY(!screen.chkAttivo()->isChecked());
    const quint16 port = freePort();
    screen.spnPorta()->setValue(port);
    screen.chkAttivo()->setChecked(true);
    QVERIFY(NetCatalogue::running());
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    QCOMPARE(screen.lblIndirizzo()->text(), url);
    QVERIFY(!screen.cmbRete()->isEnabled());
    // Served from the server's own thread while this one waits on the socket.
    QCOMPARE(status(port, "/"), 200);
    QCOMPARE(status(port, "/Libri.pro"), 404);

    const QString pdf = folder.file("avviso.pdf");
    {
        PrintLog log(true, pdf);
        screen.btnStampaClick();
        QCOMPARE(log.offered.size(), 1);
    }
    QProcess render;
    render.start("pdftoppm", {"-r", "150", "-png", "-singlefile", pdf, folder.file("avviso")});
    QVERIFY(render.waitForFinished(kWaitMs));
    QProcess scan;
    scan.start("zbarimg", {"-q", "--raw", folder.file("avviso.png")});
    QVERIFY(scan.waitForFinished(kWaitMs));
    QCOMPARE(QString::fromUtf8(scan.readAllStandardOutput()).trimmed(), url);
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    QVERIFY(text.waitForFinished(kWaitMs));
    QVERIFY(text.readAllStandardOutput().contains(url.toUtf8()));

    screen.chkAttivo()->setChecked(false);
    QVERIFY(!NetCatalogue::running());
    QCOMPARE(status(port, "/"), 0);
    QVERIFY(screen.cmbRete()->isEnabled());
    // The log is in the user's data folder, not the program folder.
    QVERIFY(QFile::exists(folder.path() + "dati/Tomaria/catalogo-in-rete.log"));
    QVERIFY(QDir(folder.path()).entryList({"*.log"}, QDir::Files).isEmpty());
    ProgramFolder::setPath({});
}

QTEST_MAIN(WebScreenTest)
#include "test_web_screen.moc"
