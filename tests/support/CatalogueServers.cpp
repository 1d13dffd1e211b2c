#include "CatalogueServers.h"

#include <QDir>

#include <cerrno>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(TOMARIA_TEST_DATA "/lookup/");

bool copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name))
            return false;
    return true;
}

void stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

} // namespace

quint16 freePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

bool waitForPort(quint16 port, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (s.waitForConnected(200))
            return true;
        QThread::msleep(20);
    }
    return false;
}

ZebraServer::ZebraServer()
{
    const QString dir = m_dir.path();
    if (!copyFolder(kData + QStringLiteral("zebra"), dir) || !copyFolder(kData + QStringLiteral("marc21"), dir + QStringLiteral("/marc21"))
        || !copyFolder(kData + QStringLiteral("unimarc"), dir + QStringLiteral("/unimarc"))) {
        m_failure = QStringLiteral("cannot copy the Zebra files");
        return;
    }
    QDir(dir).mkdir(QStringLiteral("register"));
    m_port = freePort();
    QFile in(dir + QStringLiteral("/yazgfs.xml.in"));
    QFile out(dir + QStringLiteral("/yazgfs.xml"));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        m_failure = QStringLiteral("cannot write yazgfs.xml");
        return;
    }
    out.write(in.readAll().replace("@PORT@", QByteArray::number(m_port)));
    out.close();
    if (!run({QStringLiteral("init")})
        || !run({QStringLiteral("-d"), QStringLiteral("libri21"), QStringLiteral("update"), QStringLiteral("marc21")})
        || !run({QStringLiteral("-d"), QStringLiteral("libriuni"), QStringLiteral("update"), QStringLiteral("unimarc")}))
        return;
    m_server.setWorkingDirectory(dir);
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(dir + QStringLiteral("/server.out"));
    m_server.start(QStringLiteral("zebrasrv"),
        {QStringLiteral("-f"), QStringLiteral("yazgfs.xml"), QStringLiteral("-l"), QStringLiteral("server.log")});
    m_started = m_server.waitForStarted(5000) && waitForPort(m_port, 10000);
    if (!m_started)
        m_failure = QStringLiteral("zebrasrv did not start");
}

bool ZebraServer::run(const QStringList& arguments)
{
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("zebraidx"), QStringList{QStringLiteral("-c"), QStringLiteral("zebra.cfg")} + arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        stop(p);
        m_failure = QStringLiteral("zebraidx %1: %2").arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    return true;
}

ZebraServer::~ZebraServer()
{
    stop(m_server);
}

QString ZebraServer::z3950(const QString& database) const
{
    return QStringLiteral("z3950://127.0.0.1:%1/%2").arg(m_port).arg(database);
}

QString ZebraServer::sru(const QString& database) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(database);
}

ZtestServer::ZtestServer()
{
    m_port = freePort();
    m_server.setWorkingDirectory(m_dir.path());
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(m_dir.path() + QStringLiteral("/ztest.out"));
    m_server.start(QStringLiteral("yaz-ztest"),
        {QStringLiteral("-l"), m_dir.path() + QStringLiteral("/ztest.log"), QStringLiteral("tcp:127.0.0.1:%1").arg(m_port)});
    m_started = m_server.waitForStarted(5000) && waitForPort(m_port, 10000);
}

ZtestServer::~ZtestServer()
{
    stop(m_server);
}

RawServer::RawServer(Mode mode)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(m_fd, 16) != 0
        || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return;
    m_port = ntohs(a.sin_port);
    // A silent server is the kernel's backlog alone: the connection is made,
    // nobody ever reads or writes.
    if (mode == Mode::Silent)
        return;
    m_thread = std::thread([this, mode] {
        while (!m_stop.load()) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int c = ::accept(m_fd, nullptr, nullptr);
            if (c < 0)
                continue;
            if (mode == Mode::Garbage) {
                static const char kJunk[] = "HTTP/1.0 200 OK\r\n\r\n\x30\x03\x02\x01\xff nothing a catalogue would say \x00\x01\x02";
                [[maybe_unused]] const ssize_t n = ::write(c, kJunk, sizeof kJunk);
                ::close(c);
                continue;
            }
            // Flood: never blocked, so that a client that stops reading
            // cannot hold the server past its end.
            ::fcntl(c, F_SETFL, ::fcntl(c, F_GETFL) | O_NONBLOCK);
            constexpr qint64 kBody = qint64(50) * 1024 * 1024;
            QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(kBody) + "\r\n\r\n";
            const QByteArray block(64 * 1024, 'x');
            qint64 sent = 0;
            qsizetype at = 0;
            while (!m_stop.load() && sent < kBody) {
                pollfd w{c, POLLOUT, 0};
                if (::poll(&w, 1, 50) <= 0)
                    continue;
                if (w.revents & (POLLERR | POLLHUP))
                    break;
                if (at == out.size()) {
                    out = block;
                    at = 0;
                }
                const ssize_t n = ::send(c, out.constData() + at, std::size_t(out.size() - at), MSG_NOSIGNAL);
                if (n < 0 && errno != EAGAIN && errno != EINTR)
                    break;
                if (n > 0) {
                    at += n;
                    sent += n;
                    // At the pace of a network link, not of the loopback:
                    // the client sees its answer arrive in parts.
                    ::poll(nullptr, 0, 2);
                }
            }
            ::close(c);
        }
    });
}

RawServer::~RawServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
}
