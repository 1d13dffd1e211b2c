#include "NetCatalogue.h"

#include "core/storage/ProgramFolder.h"
#include "web/CatalogueServer.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QThread>

#include <memory>

namespace {

struct Running {
    std::unique_ptr<QThread> thread;
    CatalogueServer* server = nullptr; // lives in `thread`
    QString url;
    QString log;
};

Running& current()
{
    static Running r;
    return r;
}

} // namespace

namespace NetCatalogue {

bool start(const QString& address, quint16 port, QString& error)
{
    stop();
    QHostAddress host;
    if (!host.setAddress(address)) {
        error = QStringLiteral("indirizzo non valido: ") + address;
        return false;
    }
    Running& r = current();
    r.thread = std::make_unique<QThread>();
    r.thread->setObjectName(QStringLiteral("CatalogoInRete"));
    r.thread->start();
    auto* server = new CatalogueServer(ProgramFolder::path());
    server->moveToThread(r.thread.get());
    bool ok = false;
    QMetaObject::invokeMethod(
        server,
        [&] {
            ok = server->start(host, port, {}, error);
            r.url = server->url();
            r.log = server->logPath();
        },
        Qt::BlockingQueuedConnection);
    if (!ok) {
        QMetaObject::invokeMethod(
            server, [server] { delete server; }, Qt::BlockingQueuedConnection);
        r.thread->quit();
        r.thread->wait();
        r.thread.reset();
        r.url.clear();
        return false;
    }
    r.server = server;
    static bool hooked = false;
    if (!hooked && QCoreApplication::instance()) {
        hooked = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { stop(); });
    }
    return true;
}

void stop()
{
    Running& r = current();
    if (!r.thread)
        return;
    if (r.server) {
        CatalogueServer* server = r.server;
        QMetaObject::invokeMethod(
            server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    }
    r.thread->quit();
    r.thread->wait();
    r.thread.reset();
    r.server = nullptr;
    r.url.clear();
}

bool running()
{
    return current().server != nullptr;
}

QString url()
{
    return running() ? current().url : QString();
}

QString logPath()
{
    return current().log;
}

} // namespace NetCatalogue
