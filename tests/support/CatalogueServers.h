#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <thread>

// Catalogue servers on the loopback address for the lookup tests, stopped
// when the object goes. Each is started on a port the kernel had free and
// counts as started only when its own process listens there: a port that
// another program took first makes it try the next.

// A port of 127.0.0.1 that refuses connections: a socket of this test
// program is bound to it and never listens, so no other program can take
// it while the test runs.
quint16 freePort();

// A Zebra server indexing the hand-written records of tests/data/lookup:
// database "libri21" holds the MARC 21 records, "libriuni" the UNIMARC
// ones. Z39.50 and SRU on the same port.
class ZebraServer {
public:
    ZebraServer();
    ~ZebraServer();
    bool started() const { return m_started; }
    QString failure() const { return m_failure; }
    quint16 port() const { return m_port; }
    QString z3950(const QString& database) const; // "z3950://127.0.0.1:P/DB"
    QString sru(const QString& database) const;   // "http://127.0.0.1:P/DB"

private:
    bool run(const QStringList& arguments);
    QTemporaryDir m_dir;
    QProcess m_server;
    quint16 m_port = 0;
    bool m_started = false;
    QString m_failure;
};

// YAZ's test server, which answers any search with its own sample records.
class ZtestServer {
public:
    ZtestServer();
    ~ZtestServer();
    bool started() const { return m_started; }
    quint16 port() const { return m_port; }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    quint16 m_port = 0;
    bool m_started = false;
};

// A socket that takes connections and then either never says a word,
// sends bytes that are no protocol at all and closes, or answers as an SRU
// server with a body of 50 MB sent, in parts as a network link brings
// them, for as long as the client reads.
class RawServer {
public:
    enum class Mode { Silent, Garbage, Flood };
    explicit RawServer(Mode mode);
    ~RawServer();
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic_bool m_stop{false};
    std::thread m_thread;
};

// True when 127.0.0.1:`port` takes a connection within `ms` milliseconds.
bool waitForPort(quint16 port, int ms);
