#pragma once

#include "web/WebReply.h"

#include <QString>

class CatalogueSite;
class WebQuery;

// SRU at "/sru", versions 1.2 and 2.0: explain, and searchRetrieve over the
// books with CQL (title, author, ISBN, subject, any word; and, or, not;
// word and exact matches), answering MARCXML or Dublin Core records built
// from the public fields. Failures are SRU diagnostics, as clients expect.
class SruService {
public:
    explicit SruService(CatalogueSite& site);

    WebReply answer(const WebQuery& query);

    // Where the server listens, for the explain record.
    void setAddress(const QString& host, quint16 port);

private:
    WebReply explain(const QString& version);
    WebReply searchRetrieve(const WebQuery& query, const QString& version);
    WebReply diagnostic(const QString& version, const QString& operation, int number, const QString& detail);

    CatalogueSite& m_site;
    QString m_host = QStringLiteral("localhost");
    quint16 m_port = 80;
};
