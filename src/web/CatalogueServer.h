#pragma once

#include "web/CatalogueLog.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QString>

#include <memory>

class BoundedTcpServer;
class CatalogueSite;

// The web catalogue over HTTP (Qt HTTP Server): every request goes to
// CatalogueSite for its page, within the budgets of BoundedTcpServer, and
// leaves a line in the log. It serves the program folder's catalogue
// read-only and writes nothing but its log. Lives in one thread: the
// command line's main thread, or a thread of its own in the program.
class CatalogueServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit CatalogueServer(const QString& folder, QObject* parent = nullptr);
    ~CatalogueServer() override;

    // Opens the log (empty: CatalogueLog::defaultPath()) and listens on
    // `address`:`port` (0: any free port); false with `error` set (Italian).
    bool start(const QHostAddress& address, quint16 port, const QString& logPath, QString& error);
    quint16 port() const { return m_port; }
    QString logPath() const { return m_log.path(); }
    // The address to give readers ("http://192.168.1.10:8080/").
    QString url() const;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    std::unique_ptr<CatalogueSite> m_site;
    BoundedTcpServer* m_tcp = nullptr;
    CatalogueLog m_log;
    QHostAddress m_address;
    quint16 m_port = 0;
};
