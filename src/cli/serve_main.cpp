// tomaria-serve: the catalogue for readers, started by "tomaria-cli serve"
// with its options checked; a program of its own so that only it loads
// the network libraries.
#include "web/CatalogueServer.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const QStringList args = app.arguments();
    auto value = [&](const QString& name) {
        const qsizetype at = args.indexOf(name);
        return at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    const QString folder = value(QStringLiteral("--folder"));
    bool portRead = false;
    const uint port = value(QStringLiteral("--port")).toUInt(&portRead);
    if (folder.isEmpty() || !portRead || port > 65535) {
        err << "uso: tomaria-cli [--folder CARTELLA] serve [--port N] [--address A] [--log FILE]\n";
        return 2;
    }
    QHostAddress address;
    if (!address.setAddress(value(QStringLiteral("--address")))) {
        err << "tomaria-cli: --address vuole un indirizzo IP (come 192.168.1.10, o 0.0.0.0 per tutti)\n";
        return 2;
    }
    CatalogueServer server(folder);
    QString error;
    if (!server.start(address, static_cast<quint16>(port), value(QStringLiteral("--log")), error)) {
        err << "tomaria-cli: " << error << "\n";
        return 2;
    }
    out << server.url() << "\n";
    err << "Catalogo in rete su " << server.url() << " (porta " << server.port() << "); registro in " << server.logPath() << "\n";
    out.flush();
    err.flush();
    return QCoreApplication::exec();
}
