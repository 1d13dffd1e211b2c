#include "web/BoundedTcpServer.h"

#include "web/CatalogueSite.h"
#include "web/WebBudget.h"

#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// What a connection keeps between its signals.
constexpr const char* kBytes = "tomariaBytes"; // bytes of the request being received
constexpr const char* kIdle = "tomariaIdle";   // true between two requests
constexpr const char* kDone = "tomariaDone";   // refused: what more it sends is dropped

QTimer* timerOf(QTcpSocket* socket)
{
    return socket->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
}

QString peerOf(const QTcpSocket* socket)
{
    return socket->peerAddress().toString();
}

} // namespace

BoundedTcpServer::BoundedTcpServer(QObject* parent)
    : QTcpServer(parent)
{
    setMaxPendingConnections(WebBudget::kConnections);
}

void BoundedTcpServer::requestAnswered(QTcpSocket* socket)
{
    socket->setProperty(kBytes, qint64(0));
    socket->setProperty(kIdle, true);
    if (QTimer* timer = timerOf(socket))
        timer->start(WebBudget::kIdleMs);
}

void BoundedTcpServer::incomingConnection(qintptr handle)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    if (m_open >= WebBudget::kConnections) {
        emit dropped(peerOf(socket), u"troppe connessioni aperte"_s);
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    socket->setProperty(kBytes, qint64(0));
    socket->setProperty(kIdle, false);
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [this, socket] {
        if (!socket->property(kIdle).toBool())
            emit dropped(peerOf(socket), u"richiesta non completata in tempo"_s);
        socket->abort();
    });
    // Connected before the HTTP server gets the socket, so this runs first
    // on every piece that arrives.
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, timer] {
        if (socket->property(kDone).toBool()) {
            socket->readAll();
            return;
        }
        if (socket->property(kIdle).toBool()) {
            socket->setProperty(kIdle, false);
            timer->start(WebBudget::kRequestMs);
        }
        const qint64 bytes = socket->property(kBytes).toLongLong() + socket->bytesAvailable();
        socket->setProperty(kBytes, bytes);
        if (bytes > WebBudget::kRequestBytes)
            refuseTooLong(socket);
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    timer->start(WebBudget::kRequestMs);
    addPendingConnection(socket);
}

void BoundedTcpServer::refuseTooLong(QTcpSocket* socket)
{
    emit dropped(peerOf(socket), u"richiesta troppo lunga"_s);
    socket->setProperty(kDone, true);
    socket->readAll();
    const WebReply page = CatalogueSite::errorPage(414, u"L'indirizzo richiesto è troppo lungo."_s);
    socket->write("HTTP/1.1 414 URI Too Long\r\nContent-Type: " + page.contentType
        + "\r\nContent-Length: " + QByteArray::number(page.body.size()) + "\r\nConnection: close\r\n\r\n" + page.body);
    socket->disconnectFromHost();
    // A client that reads nothing back does not keep the connection.
    if (QTimer* timer = timerOf(socket))
        timer->start(WebBudget::kRequestMs);
}
