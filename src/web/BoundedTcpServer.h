#pragma once

#include <QTcpServer>

class QTcpSocket;

// The listening socket of the web catalogue, which keeps every connection
// within its budgets before the HTTP server reads it: a request must arrive
// whole within WebBudget::kRequestMs of its first byte and within
// WebBudget::kRequestBytes, a connection stays idle at most
// WebBudget::kIdleMs, and at most WebBudget::kConnections are open at once.
// A request too long is answered with a plain page and closed; a slow or
// idle client is dropped.
class BoundedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    explicit BoundedTcpServer(QObject* parent = nullptr);

    // The HTTP server answered a request of `socket`: its budget starts
    // again, and the connection may now stay idle.
    static void requestAnswered(QTcpSocket* socket);

    int openConnections() const { return m_open; }

signals:
    // A connection was refused or dropped, with why (Italian, for the log).
    void dropped(const QString& peer, const QString& why);

protected:
    void incomingConnection(qintptr handle) override;

private:
    void refuseTooLong(QTcpSocket* socket);
    int m_open = 0;
};
