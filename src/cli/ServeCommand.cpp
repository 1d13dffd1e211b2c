#include "cli/ServeCommand.h"

#include "core/storage/ProgramFolder.h"
#include "web/CatalogueServer.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace ServeCommand {

QString usage()
{
    return QStringLiteral("serve: il catalogo per i lettori, in sola lettura, su HTTP (pagine di ricerca e SRU in /sru), finché il\n"
                          "  programma non viene fermato (Ctrl-C); --port (8080 in mancanza, 0 una porta libera), --address\n"
                          "  (127.0.0.1 in mancanza: soltanto questo computer; l'indirizzo della rete della biblioteca per aprirlo\n"
                          "  agli altri dispositivi), --log (in mancanza %1).\n")
        .arg(CatalogueLog::defaultPath());
}

int run(const Given& given, QTextStream& out, QTextStream& err)
{
    constexpr int kBadArguments = 2;
    quint16 port = 8080;
    if (!given.port.isEmpty()) {
        bool ok = false;
        const uint p = given.port.toUInt(&ok);
        if (!ok || p > 65535) {
            err << "tomaria-cli: --port vuole un numero da 0 a 65535\n";
            return kBadArguments;
        }
        port = static_cast<quint16>(p);
    }
    QHostAddress address(QHostAddress::LocalHost);
    if (!given.address.isEmpty() && !address.setAddress(given.address)) {
        err << "tomaria-cli: --address vuole un indirizzo IP (come 192.168.1.10, o 0.0.0.0 per tutti)\n";
        return kBadArguments;
    }
    CatalogueServer server(ProgramFolder::path());
    QString error;
    if (!server.start(address, port, given.log, error)) {
        err << "tomaria-cli: " << error << "\n";
        return kBadArguments;
    }
    out << server.url() << "\n";
    err << "Catalogo in rete su " << server.url() << " (porta " << server.port() << "); registro in " << server.logPath() << "\n";
    out.flush();
    err.flush();
    return QCoreApplication::exec();
}

} // namespace ServeCommand
