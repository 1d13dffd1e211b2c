#include "cli/ServeCommand.h"

#include "core/storage/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <unistd.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace ServeCommand {

QString usage()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QStringLiteral("serve: il catalogo per i lettori, in sola lettura, su HTTP (pagine di ricerca e SRU in /sru), finché il\n"
                          "  programma non viene fermato (Ctrl-C); --port (8080 in mancanza, 0 una porta libera), --address\n"
                          "  (127.0.0.1 in mancanza: soltanto questo computer; l'indirizzo della rete della biblioteca per aprirlo\n"
                          "  agli altri dispositivi), --log (in mancanza %1).\n")
        .arg(QDir(data.isEmpty() ? QDir::homePath() : data).filePath(u"Tomaria/catalogo-in-rete.log"_s));
}

int run(const Given& given, QTextStream& out, QTextStream& err)
{
    Q_UNUSED(out);
    constexpr int kBadArguments = 2;
    if (!given.port.isEmpty()) {
        bool ok = false;
        const uint p = given.port.toUInt(&ok);
        if (!ok || p > 65535) {
            err << "tomaria-cli: --port vuole un numero da 0 a 65535\n";
            return kBadArguments;
        }
    }
    // The server is a program of its own beside this one, so the other
    // commands never load the network libraries; it takes this process's
    // place, with its output and signals.
    const QString server = QCoreApplication::applicationDirPath() + u"/tomaria-serve"_s;
    if (!QFileInfo(server).isExecutable()) {
        err << "tomaria-cli: manca il programma " << server << "\n";
        return kBadArguments;
    }
    QStringList args{server, u"--folder"_s, ProgramFolder::path(), u"--port"_s, given.port.isEmpty() ? u"8080"_s : given.port,
        u"--address"_s, given.address.isEmpty() ? u"127.0.0.1"_s : given.address};
    if (!given.log.isEmpty())
        args << u"--log"_s << given.log;
    out.flush();
    err.flush();
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    err << "tomaria-cli: impossibile avviare " << server << "\n";
    return kBadArguments;
}

} // namespace ServeCommand
