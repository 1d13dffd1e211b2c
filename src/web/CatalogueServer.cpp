#include "web/CatalogueServer.h"

#include "web/BoundedTcpServer.h"
#include "web/CatalogueSite.h"
#include "web/SruService.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    default:
        return "ALTRO";
    }
}

} // namespace

CatalogueServer::CatalogueServer(const QString& folder, QObject* parent)
    : QAbstractHttpServer(parent)
    , m_site(std::make_unique<CatalogueSite>(folder))
{
}

CatalogueServer::~CatalogueServer() = default;

bool CatalogueServer::start(const QHostAddress& address, quint16 port, const QString& logPath, QString& error)
{
    QString why;
    if (!m_log.open(logPath.isEmpty() ? CatalogueLog::defaultPath() : logPath, why)) {
        error = u"impossibile aprire il registro "_s + (logPath.isEmpty() ? CatalogueLog::defaultPath() : logPath) + u": "_s + why;
        return false;
    }
    m_tcp = new BoundedTcpServer(this);
    if (!m_tcp->listen(address, port)) {
        error = u"impossibile ascoltare su "_s + address.toString() + u':' + QString::number(port) + u": "_s + m_tcp->errorString();
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    connect(m_tcp, &BoundedTcpServer::dropped, this,
        [this](const QString& peer, const QString& reason) { m_log.write(peer + u" connessione chiusa: "_s + reason); });
    bind(m_tcp);
    m_address = address;
    m_port = m_tcp->serverPort();
    m_site->sru().setAddress(
        address.isLoopback() || address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ? u"localhost"_s : address.toString(),
        m_port);
    m_log.write(u"catalogo in rete avviato su "_s + url());
    return true;
}

QString CatalogueServer::url() const
{
    QHostAddress shown = m_address;
    // Listening on every address: the first of this machine's own that
    // another device of the network can reach.
    if (m_address == QHostAddress::Any || m_address == QHostAddress::AnyIPv4 || m_address == QHostAddress::AnyIPv6) {
        shown = QHostAddress::LocalHost;
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
                shown = a;
                break;
            }
        }
    }
    const QString host = shown.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + shown.toString() + u']' : shown.toString();
    return u"http://"_s + host + u':' + QString::number(m_port) + u'/';
}

bool CatalogueServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QElapsedTimer clock;
    clock.start();
    const QUrl url = request.url();
    QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    const QByteArray method = methodName(request.method());
    const bool form = request.value("Content-Type").startsWith("application/x-www-form-urlencoded");
    const WebReply reply = m_site->answer(method, target, form ? request.body() : QByteArray());
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(method == "HEAD" ? QByteArray() : reply.body,
        {{"Content-Type", reply.contentType}, {"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-store"},
            {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'"}},
        static_cast<QHttpServerResponder::StatusCode>(reply.status));
    BoundedTcpServer::requestAnswered(socket);
    m_log.write(request.remoteAddress().toString() + u' ' + QString::fromLatin1(method) + u' ' + QString::fromUtf8(target.left(300)) + u' '
        + QString::number(reply.status) + u' ' + QString::number(clock.elapsed()) + u" ms"_s);
    return true;
}

void CatalogueServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const WebReply reply = CatalogueSite::errorPage(404, u"La pagina richiesta non fa parte del catalogo."_s);
    makeResponder(request, socket).write(reply.body, {{"Content-Type", reply.contentType}}, QHttpServerResponder::StatusCode::NotFound);
    BoundedTcpServer::requestAnswered(socket);
}
