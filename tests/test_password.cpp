#include "TestSupport.h"

#include "core/access/Crypt.h"
#include "core/access/IniFile.h"
#include "core/access/PasswordFile.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/shell/TfrmCambiaPassword.h"
#include "ui/shell/TfrmPassword.h"
#include "core/storage/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kWrong = QStringLiteral("Attenzione: password errata.");
const QString kWrongOld = QStringLiteral("Attenzione: vecchia password errata.");
const QString kNotConfirmed = QStringLiteral(
    "Attenzione: la nuova password non è stata confermata correttamente. E' necessario reinserire entrambi i valori.");
const QString kChanged = QStringLiteral("Modifica della password completata con successo.");
const QString kReadFailed = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura "
                                           "della password. Si consiglia di reinstallare il software.");
const QString kChangeFailed = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica "
                                             "della password. Si consiglia di reinstallare il software.");

const QByteArray kInitialFile = "[Accesso]\r\nValore=197EC0B384DD653D19321B24F41F\r\n";

int endRequests = 0;
void countEnd()
{
    ++endRequests;
}

} // namespace

class PasswordTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void scrambleVectors_data();
    void scrambleVectors();
    void unscrambleOddAndBadHex_data();
    void unscrambleOddAndBadHex();
    void roundTripEveryCharacterAndLengthLimit();

    void iniFileKeepsWhatIsNotOurs_data();
    void iniFileKeepsWhatIsNotOurs();
    void unreadableFileIsNeverOverwritten();
    void fifoPasswordFileIsAReadError();
    void deliveredFileHoldsTheInitialPassword();

    void loginComparesCapitalsTrimmed_data();
    void loginComparesCapitalsTrimmed();
    void okAndEnterNeedText();
    void invalidStoredValueIsReported();
    void missingFileRefusesEverything();
    void exitEndsTheProgram();

    void changeRefusalsInOrder();
    void changeRefusesUnstorablePasswords_data();
    void changeRefusesUnstorablePasswords();
    void changeThatCannotBeWrittenKeepsOldPassword();
    void changeWithAccentedLetter();
    void changeScreenEnterChainAndClose();

private:
    QLineEdit* loginField() { return Screens::frmPassword->control<QLineEdit>(QStringLiteral("txtPassword")); }
    QLineEdit* changeField(const char* name) { return Screens::frmCambiaPassword->control<QLineEdit>(QLatin1String(name)); }
    void click(TForm* screen, const char* name) { QTest::mouseClick(screen->control(QLatin1String(name)), Qt::LeftButton); }
    bool login(const QString& typed);
    void openChange();
    void change(const QString& old, const QString& fresh, const QString& confirm);

    TestFolder* m_folder = nullptr;
    MessageLog* m_log = nullptr;
};

void PasswordTest::init()
{
    m_folder = new TestFolder;
    m_log = new MessageLog;
    endRequests = 0;
    Screens::setEndHandler(&countEnd);
    Screens::createAll();
    Screens::frmPassword->showScreen();
    QVERIFY(QTest::qWaitForWindowActive(Screens::frmPassword));
}

void PasswordTest::cleanup()
{
    Screens::destroyAll();
    Screens::setEndHandler(nullptr);
    delete m_log;
    delete m_folder;
}

bool PasswordTest::login(const QString& typed)
{
    loginField()->setText(typed);
    click(Screens::frmPassword, "cmdOK");
    return Screens::frmAvvio->isVisible();
}

void PasswordTest::openChange()
{
    click(Screens::frmPassword, "btnCambiaPassword");
    QVERIFY(Screens::frmCambiaPassword->isVisible());
    QVERIFY(!Screens::frmPassword->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(Screens::frmCambiaPassword));
}

void PasswordTest::change(const QString& old, const QString& fresh, const QString& confirm)
{
    changeField("txtPasswordOld")->setText(old);
    changeField("txtPasswordNew")->setText(fresh);
    changeField("txtConferma")->setText(confirm);
    click(Screens::frmCambiaPassword, "cmdOK");
}

// clang-format off
void PasswordTest::scrambleVectors_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("stored");
    QTest::newRow("one letter") << QStringLiteral("A") << QStringLiteral("1A");
    QTest::newRow("key moves on") << QStringLiteral("AB") << QStringLiteral("1A4F");
    QTest::newRow("leading zero digit") << QStringLiteral("TOMARIA") << QStringLiteral("0F4F26DC99BC52");
    QTest::newRow("initial password") << QStringLiteral("BENVENUTOLIBRO")
                                      << QStringLiteral("197EC0B384DD653D19321B24F41F");
    QTest::newRow("code page bytes") << QStringLiteral("È€") << QStringLiteral("9326");
    QTest::newRow("empty") << QString() << QString();
}
// clang-format on

void PasswordTest::scrambleVectors()
{
    QFETCH(QString, password);
    QFETCH(QString, stored);
    QCOMPARE(Crypt::Cripta(password), stored);
    QCOMPARE(Crypt::Decripta(stored), std::optional<QString>(password));
    QCOMPARE(Crypt::Decripta(stored.toLower()), std::optional<QString>(password));
}

// clang-format off
void PasswordTest::unscrambleOddAndBadHex_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("password");
    QTest::newRow("odd digit ignored") << QStringLiteral("1A4F7") << true << QStringLiteral("AB");
    QTest::newRow("odd bad digit ignored") << QStringLiteral("1aZ") << true << QStringLiteral("A");
    QTest::newRow("single digit") << QStringLiteral("1") << true << QString();
    QTest::newRow("letter beyond F") << QStringLiteral("1G") << false << QString();
    QTest::newRow("bad second pair") << QStringLiteral("1A4g") << false << QString();
    QTest::newRow("blank inside") << QStringLiteral(" 1A4") << false << QString();
    QTest::newRow("sign") << QStringLiteral("1A+F") << false << QString();
    QTest::newRow("full-width digit") << QStringLiteral("1\uFF11") << false << QString();
}
// clang-format on

void PasswordTest::unscrambleOddAndBadHex()
{
    QFETCH(QString, stored);
    QFETCH(bool, valid);
    QFETCH(QString, password);
    const std::optional<QString> plain = Crypt::Decripta(stored);
    QCOMPARE(plain.has_value(), valid);
    if (valid)
        QCOMPARE(*plain, password);
}

void PasswordTest::roundTripEveryCharacterAndLengthLimit()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(255 - i);
    const QString every = Cp1252::decode(std::string_view(all.constData(), 256));
    for (const QString& part : {every.left(255), every.mid(255)}) {
        const QString stored = Crypt::Cripta(part);
        QCOMPARE(stored.size(), part.size() * 2);
        QCOMPARE(Crypt::Decripta(stored), std::optional<QString>(part));
    }

    // Only the first 255 characters are handled, both ways.
    const QString longer = every.left(200) + every.left(100);
    const QString stored = Crypt::Cripta(longer);
    QCOMPARE(stored, Crypt::Cripta(longer.left(255)));
    QCOMPARE(Crypt::Decripta(stored + stored.left(20)), std::optional<QString>(longer.left(255)));
}

// clang-format off
void PasswordTest::iniFileKeepsWhatIsNotOurs_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("replaced in place")
        << QByteArray("; Tomaria\n[Altro]\nChiave=citt\xE0\n\n[accesso]\n; Valore=FF\nVALORE = 00FF\nExtra=1\n\n[Fine]\nx=y")
        << QStringLiteral("00FF")
        << QByteArray("; Tomaria\r\n[Altro]\r\nChiave=citt\xE0\r\n\r\n[accesso]\r\n; Valore=FF\r\nVALORE=ABCD\r\nExtra=1\r\n"
                      "\r\n[Fine]\r\nx=y\r\n");
    QTest::newRow("key added to its section")
        << QByteArray("[Accesso]\r\nAltro=1\r\n;Valore=11\r\n\r\n[Dopo]\r\nValore=22\r\n") << QString()
        << QByteArray("[Accesso]\r\nAltro=1\r\n;Valore=11\r\nValore=ABCD\r\n\r\n[Dopo]\r\nValore=22\r\n");
    QTest::newRow("section added") << QByteArray("[Altro]\r\nValore=33") << QString()
                                   << QByteArray("[Altro]\r\nValore=33\r\n[Accesso]\r\nValore=ABCD\r\n");
    QTest::newRow("quoted value") << QByteArray("[Accesso]\r\nValore=\" 44 \"\r\n") << QStringLiteral(" 44 ")
                                  << QByteArray("[Accesso]\r\nValore=ABCD\r\n");
    QTest::newRow("missing file") << QByteArray() << QString() << QByteArray("[Accesso]\r\nValore=ABCD\r\n");
    // Other editors: a UTF-8 byte-order mark (the text is then UTF-8) and
    // lone CR line ends; the file is written back as always.
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF; citt\xC3\xA0\r\n[Accesso]\r\nValore=1A4F\r\n") << QStringLiteral("1A4F")
        << QByteArray("; citt\xE0\r\n[Accesso]\r\nValore=ABCD\r\n");
    QTest::newRow("lone CR line ends") << QByteArray("[Altro]\rx=1\r[Accesso]\rValore=1A4F\r") << QStringLiteral("1A4F")
                                       << QByteArray("[Altro]\r\nx=1\r\n[Accesso]\r\nValore=ABCD\r\n");
    QTest::newRow("mixed line ends") << QByteArray("[Altro]\r\nx=1\n[Accesso]\rValore=1A4F") << QStringLiteral("1A4F")
                                     << QByteArray("[Altro]\r\nx=1\r\n[Accesso]\r\nValore=ABCD\r\n");
}
// clang-format on

void PasswordTest::iniFileKeepsWhatIsNotOurs()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        m_folder->write(PasswordFile::kFileName, before);
    QCOMPARE(PasswordFile::readStored(), std::optional<QString>(value));
    QVERIFY(PasswordFile::writeStored(QStringLiteral("ABCD")));
    QCOMPARE(m_folder->read(PasswordFile::kFileName), after);
    QCOMPARE(PasswordFile::readStored(), std::optional<QString>(QStringLiteral("ABCD")));
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList{PasswordFile::kFileName});
}

void PasswordTest::unreadableFileIsNeverOverwritten()
{
    QVERIFY(QDir(m_folder->path()).mkdir(PasswordFile::kFileName));
    IniFile ini(PasswordFile::path());
    QVERIFY(!ini.readable());
    QCOMPARE(ini.value(PasswordFile::kSection, PasswordFile::kKey), QString());
    QVERIFY(!PasswordFile::writeStored(QStringLiteral("ABCD")));
    QVERIFY(QFileInfo(PasswordFile::path()).isDir());
}

void PasswordTest::fifoPasswordFileIsAReadError()
{
    // Reading a FIFO would wait for a writer forever; it is refused at once.
    const FifoWatch fifo(PasswordFile::path());
    QVERIFY(fifo.created());
    QVERIFY(!login(QStringLiteral("benvenutolibro")));
    QCOMPARE(m_log->lastText(), kReadFailed);
    openChange();
    change(QStringLiteral("benvenutolibro"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    QCOMPARE(m_log->lastText(), kChangeFailed);
    QVERIFY(!fifo.hung());
    QVERIFY(QFileInfo(PasswordFile::path()).exists() && !QFileInfo(PasswordFile::path()).isFile());
}

void PasswordTest::deliveredFileHoldsTheInitialPassword()
{
    QFile delivered(QStringLiteral(TOMARIA_PASSWORD_FILE));
    QVERIFY(delivered.open(QIODevice::ReadOnly));
    const QByteArray bytes = delivered.readAll();
    QCOMPARE(bytes, kInitialFile);
    m_folder->write(PasswordFile::kFileName, bytes);
    QVERIFY(login(QStringLiteral("benvenutolibro")));
}

// clang-format off
void PasswordTest::loginComparesCapitalsTrimmed_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("small letters") << QStringLiteral("benvenutolibro") << true;
    QTest::newRow("capitals") << QStringLiteral("BENVENUTOLIBRO") << true;
    QTest::newRow("mixed case") << QStringLiteral("BenVenutoLibro") << true;
    QTest::newRow("blanks around") << QStringLiteral(" \t benvenutolibro  ") << true;
    QTest::newRow("blank inside") << QStringLiteral("benvenuto libro") << false;
    QTest::newRow("one letter short") << QStringLiteral("benvenutolibr") << false;
    QTest::newRow("one letter more") << QStringLiteral("benvenutolibroo") << false;
    QTest::newRow("accented letter") << QStringLiteral("benvenutolibrò") << false;
}
// clang-format on

void PasswordTest::loginComparesCapitalsTrimmed()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    QCOMPARE(login(typed), accepted);
    QCOMPARE(Screens::frmPassword->isVisible(), !accepted);
    if (accepted) {
        QVERIFY(m_log->entries.isEmpty());
        return;
    }
    QCOMPARE(m_log->entries.size(), 1);
    QCOMPARE(m_log->entries[0].kind, Msg::Kind::Plain);
    QCOMPARE(m_log->lastText(), kWrong);
    QCOMPARE(loginField()->text(), QString());
    QCOMPARE(QApplication::focusWidget(), loginField());
    QVERIFY(Screens::frmPassword->control(QStringLiteral("effPassword"))->isVisible());
}

void PasswordTest::okAndEnterNeedText()
{
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    auto* ok = Screens::frmPassword->control<QPushButton>(QStringLiteral("cmdOK"));
    QCOMPARE(QApplication::focusWidget(), loginField());
    QVERIFY(!ok->isEnabled());
    QTest::keyClicks(loginField(), QStringLiteral("  "));
    QVERIFY(!ok->isEnabled());
    pressEnter(loginField());
    QVERIFY(m_log->entries.isEmpty());
    QTest::keyClicks(loginField(), QStringLiteral("x"));
    QVERIFY(ok->isEnabled());
    pressEnter(loginField());
    QCOMPARE(m_log->lastText(), kWrong);
    QVERIFY(!ok->isEnabled());
    QTest::keyClicks(loginField(), QStringLiteral("BenvenutoLibro"));
    pressEnter(loginField());
    QVERIFY(Screens::frmAvvio->isVisible());
    QVERIFY(!Screens::frmPassword->isVisible());
}

void PasswordTest::invalidStoredValueIsReported()
{
    m_folder->write(PasswordFile::kFileName, "[Accesso]\r\nValore=197EC0B3X4\r\n");
    QVERIFY(!login(QStringLiteral("benvenutolibro")));
    QCOMPARE(m_log->lastText(), kReadFailed);
    QCOMPARE(loginField()->text(), QStringLiteral("benvenutolibro"));
    QVERIFY(Screens::frmPassword->isVisible());

    openChange();
    change(QStringLiteral("benvenutolibro"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    QCOMPARE(m_log->lastText(), kChangeFailed);
    QCOMPARE(changeField("txtPasswordOld")->text(), QStringLiteral("benvenutolibro"));
    QCOMPARE(changeField("txtConferma")->text(), QStringLiteral("nuova"));
    QVERIFY(Screens::frmCambiaPassword->isVisible());
    QCOMPARE(m_folder->read(PasswordFile::kFileName), QByteArray("[Accesso]\r\nValore=197EC0B3X4\r\n"));
}

void PasswordTest::missingFileRefusesEverything()
{
    QVERIFY(!login(QStringLiteral("benvenutolibro")));
    QCOMPARE(m_log->lastText(), kWrong);
    openChange();
    change(QStringLiteral("benvenutolibro"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    QCOMPARE(m_log->lastText(), kWrongOld);
    QVERIFY(!QFile::exists(PasswordFile::path()));

    // Restoring the file lets the initial password in again.
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    click(Screens::frmCambiaPassword, "cmdEsci");
    QVERIFY(login(QStringLiteral("benvenutolibro")));
}

void PasswordTest::exitEndsTheProgram()
{
    click(Screens::frmPassword, "cmdEsci");
    QCOMPARE(endRequests, 1);
    QVERIFY(!Screens::frmAvvio->isVisible());
}

void PasswordTest::changeRefusalsInOrder()
{
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    openChange();
    auto* ok = Screens::frmCambiaPassword->control<QPushButton>(QStringLiteral("cmdOK"));
    QVERIFY(!ok->isEnabled());
    QCOMPARE(QApplication::focusWidget(), changeField("txtPasswordOld"));

    // A wrong old password is reported first, even with an unconfirmed new one.
    change(QStringLiteral("benvenuto"), QStringLiteral("Nuova"), QStringLiteral("nuova"));
    QCOMPARE(m_log->lastText(), kWrongOld);
    QCOMPARE(changeField("txtPasswordOld")->text(), QString());
    QCOMPARE(changeField("txtPasswordNew")->text(), QStringLiteral("Nuova"));
    QCOMPARE(QApplication::focusWidget(), changeField("txtPasswordOld"));
    QVERIFY(!ok->isEnabled());

    // The confirmation must match letter for letter, case included.
    change(QStringLiteral(" BenvenutoLibro "), QStringLiteral("Nuova "), QStringLiteral("nuova"));
    QCOMPARE(m_log->lastText(), kNotConfirmed);
    QCOMPARE(changeField("txtPasswordOld")->text(), QStringLiteral(" BenvenutoLibro "));
    QCOMPARE(changeField("txtPasswordNew")->text(), QString());
    QCOMPARE(changeField("txtConferma")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), changeField("txtPasswordNew"));
    QCOMPARE(m_folder->read(PasswordFile::kFileName), kInitialFile);

    change(QStringLiteral("benvenutolibro"), QStringLiteral("  Nuova1 "), QStringLiteral("Nuova1"));
    QCOMPARE(m_log->entries.size(), 3);
    QCOMPARE(m_log->lastText(), kChanged);
    QCOMPARE(m_log->entries.last().kind, Msg::Kind::Plain);
    QCOMPARE(m_folder->read(PasswordFile::kFileName), QByteArray("[Accesso]\r\nValore=") + Crypt::Cripta(u"NUOVA1").toLatin1() + "\r\n");

    // Back on an emptied login screen, where only the new password works.
    QVERIFY(!Screens::frmCambiaPassword->isVisible());
    QVERIFY(Screens::frmPassword->isVisible());
    QCOMPARE(loginField()->text(), QString());
    QCOMPARE(Screens::frmPassword->control<QLabel>(QStringLiteral("lblMemory"))->text(), QString());
    QVERIFY(QTest::qWaitForWindowActive(Screens::frmPassword));
    QCOMPARE(QApplication::focusWidget(), loginField());
    QVERIFY(!login(QStringLiteral("benvenutolibro")));
    QVERIFY(login(QStringLiteral("nuova1")));
}

// clang-format off
void PasswordTest::changeRefusesUnstorablePasswords_data()
{
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("message");
    const QString again = QStringLiteral(" E' necessario reinserire entrambi i valori.");
    QTest::newRow("256 characters") << QString(256, QLatin1Char('x'))
                                    << QStringLiteral("Attenzione: la nuova password non può superare i 255 caratteri.")
            + again;
    QTest::newRow("outside the code page")
        << QStringLiteral("Erdős")
        << QStringLiteral("Attenzione: la nuova password contiene il carattere «ő», che non può essere memorizzato.")
            + again;
    QTest::newRow("outside the plane") << QStringLiteral("libro\U0001F4D6")
                                       << QStringLiteral("Attenzione: la nuova password contiene il carattere "
                                                         "«\U0001F4D6», che non può essere memorizzato.")
            + again;
}
// clang-format on

void PasswordTest::changeRefusesUnstorablePasswords()
{
    QFETCH(QString, fresh);
    QFETCH(QString, message);
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    openChange();
    change(QStringLiteral("benvenutolibro"), fresh, fresh);
    QCOMPARE(m_log->lastText(), message);
    QCOMPARE(changeField("txtPasswordNew")->text(), QString());
    QCOMPARE(changeField("txtConferma")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), changeField("txtPasswordNew"));
    QCOMPARE(m_folder->read(PasswordFile::kFileName), kInitialFile);

    // 255 characters and every letter of the code page are kept.
    const QString longest = QString(254, QLatin1Char('x')) + QStringLiteral("€");
    change(QStringLiteral("benvenutolibro"), longest, longest);
    QCOMPARE(m_log->lastText(), kChanged);
    QVERIFY(login(longest));
}

void PasswordTest::changeThatCannotBeWrittenKeepsOldPassword()
{
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    openChange();
    {
        FileSizeLimit full(4);
        change(QStringLiteral("benvenutolibro"), QStringLiteral("nuova"), QStringLiteral("nuova"));
    }
    QCOMPARE(m_log->lastText(), kChangeFailed);
    QVERIFY(Screens::frmCambiaPassword->isVisible());
    QCOMPARE(changeField("txtPasswordNew")->text(), QStringLiteral("nuova"));
    QCOMPARE(m_folder->read(PasswordFile::kFileName), kInitialFile);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{PasswordFile::kFileName});
    click(Screens::frmCambiaPassword, "cmdEsci");
    QVERIFY(login(QStringLiteral("benvenutolibro")));
}

void PasswordTest::changeWithAccentedLetter()
{
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    openChange();
    change(QStringLiteral("benvenutolibro"), QStringLiteral("città"), QStringLiteral("città"));
    QCOMPARE(m_log->lastText(), kChanged);
    // Only a-z become capitals: the accented letter is stored as typed.
    QCOMPARE(PasswordFile::readStored(), std::optional<QString>(Crypt::Cripta(u"CITTà")));
    QVERIFY(!login(QStringLiteral("CITTÀ")));
    QVERIFY(login(QStringLiteral("Città")));
}

void PasswordTest::changeScreenEnterChainAndClose()
{
    m_folder->write(PasswordFile::kFileName, kInitialFile);
    loginField()->setText(QStringLiteral("qualcosa"));
    openChange();
    auto* ok = Screens::frmCambiaPassword->control<QPushButton>(QStringLiteral("cmdOK"));
    const char* chain[] = {"txtPasswordOld", "txtPasswordNew", "txtConferma", "txtPasswordOld"};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
        QLineEdit* field = changeField(chain[i]);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, QStringLiteral("benvenutolibro"));
        const QString effect = QStringLiteral("eff") + QLatin1String(chain[i] + 3);
        QVERIFY(Screens::frmCambiaPassword->control(effect)->isVisible());
        pressEnter(field);
        QVERIFY(!Screens::frmCambiaPassword->control(effect)->isVisible());
    }
    QCOMPARE(QApplication::focusWidget(), changeField("txtPasswordOld"));
    // Enter in the confirmation moved the focus on; it did not press OK.
    QVERIFY(ok->isEnabled());
    QVERIFY(m_log->entries.isEmpty());

    click(Screens::frmCambiaPassword, "cmdEsci");
    QVERIFY(!Screens::frmCambiaPassword->isVisible());
    QVERIFY(Screens::frmPassword->isVisible());
    QCOMPARE(loginField()->text(), QString());
    QCOMPARE(m_folder->read(PasswordFile::kFileName), kInitialFile);

    // Shown again, the change screen starts empty.
    openChange();
    QCOMPARE(changeField("txtPasswordOld")->text(), QString());
    QCOMPARE(changeField("txtConferma")->text(), QString());
    QVERIFY(!ok->isEnabled());
}

QTEST_MAIN(PasswordTest)
#include "test_password.moc"
