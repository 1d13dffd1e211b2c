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

#include <vector>

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

namespace {

// A port of the loopback address that no socket holds now: the kernel's
// choice for a socket bound to port 0, which is then closed. Only a
// candidate: another program may take it before the server does, which
// startedOn() finds out.
quint16 candidatePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// The inodes of the sockets listening on `port` of any IPv4 address.
QList<QByteArray> listeningInodes(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    QList<QByteArray> inodes;
    if (!table.open(QIODevice::ReadOnly))
        return inodes;
    const QByteArray wanted = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    table.readLine(); // the heading
    while (!table.atEnd()) {
        const QList<QByteArray> f = table.readLine().simplified().split(' ');
        // sl local rem st tx:rx tr:when retrnsmt uid timeout inode
        if (f.size() > 9 && f[1].endsWith(wanted) && f[3] == "0A")
            inodes << f[9];
    }
    return inodes;
}

// True when process `pid` itself holds a socket listening on `port`: a
// connection that succeeds might reach another program that took the
// port first, this cannot.
bool listensOn(qint64 pid, quint16 port)
{
    const QList<QByteArray> inodes = listeningInodes(port);
    if (inodes.isEmpty() || pid <= 0)
        return false;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::System | QDir::NoDotAndDotDot)) {
        char buffer[64] = {};
        const QByteArray path = QFile::encodeName(fds + QLatin1Char('/') + fd);
        const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer - 1);
        for (const QByteArray& inode : inodes) {
            if (n > 0 && QByteArray(buffer, n) == "socket:[" + inode + "]")
                return true;
        }
    }
    return false;
}

// Waits until `server` listens on `port` itself; false when it ends first
// (the port was taken: it could not bind) or after `ms` milliseconds.
bool startedOn(QProcess& server, quint16 port, int ms)
{
    if (!server.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (server.state() != QProcess::Running)
            return false;
        if (listensOn(server.processId(), port))
            return true;
        server.waitForFinished(20);
    }
    return false;
}

// Tries a server on a few candidate ports: one that another program took
// first makes the server fail to bind, and the next candidate is tried.
constexpr int kPortTries = 5;

// Sockets bound and never listening: a connection to them is refused, and
// no other program can take their port while this test runs.
std::vector<int>& heldSockets()
{
    static std::vector<int> sockets;
    return sockets;
}

} // namespace

quint16 freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    heldSockets().push_back(fd);
    return ntohs(a.sin_port);
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
    if (!run({QStringLiteral("init")})
        || !run({QStringLiteral("-d"), QStringLiteral("libri21"), QStringLiteral("update"), QStringLiteral("marc21")})
        || !run({QStringLiteral("-d"), QStringLiteral("libriuni"), QStringLiteral("update"), QStringLiteral("unimarc")}))
        return;
    QFile in(dir + QStringLiteral("/yazgfs.xml.in"));
    if (!in.open(QIODevice::ReadOnly)) {
        m_failure = QStringLiteral("cannot read yazgfs.xml.in");
        return;
    }
    const QByteArray config = in.readAll();
    for (int i = 0; i < kPortTries && !m_started; ++i) {
        m_port = candidatePort();
        QFile out(dir + QStringLiteral("/yazgfs.xml"));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_failure = QStringLiteral("cannot write yazgfs.xml");
            return;
        }
        out.write(QByteArray(config).replace("@PORT@", QByteArray::number(m_port)));
        out.close();
        stop(m_server);
        m_server.setWorkingDirectory(dir);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.setStandardOutputFile(dir + QStringLiteral("/server.out"));
        m_server.start(QStringLiteral("zebrasrv"),
            {QStringLiteral("-f"), QStringLiteral("yazgfs.xml"), QStringLiteral("-l"), QStringLiteral("server.log")});
        m_started = startedOn(m_server, m_port, 10000);
    }
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
    for (int i = 0; i < kPortTries && !m_started; ++i) {
        m_port = candidatePort();
        stop(m_server);
        m_server.setWorkingDirectory(m_dir.path());
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.setStandardOutputFile(m_dir.path() + QStringLiteral("/ztest.out"));
        m_server.start(QStringLiteral("yaz-ztest"),
            {QStringLiteral("-l"), m_dir.path() + QStringLiteral("/ztest.log"), QStringLiteral("tcp:127.0.0.1:%1").arg(m_port)});
        m_started = startedOn(m_server, m_port, 10000);
    }
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
