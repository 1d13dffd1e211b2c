#include "CatalogueClient.h"

#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"

#include <QElapsedTimer>

#include <poll.h>

#include <yaz/log.h>
#include <yaz/zoom.h>

#include <memory>
#include <mutex>

namespace {

using Status = CatalogueAnswer::Status;

constexpr int kStepMs = 50;

struct ZoomOptions {
    ZOOM_options o = ZOOM_options_create();
    ~ZoomOptions() { ZOOM_options_destroy(o); }
    void set(const char* key, const QByteArray& value) { ZOOM_options_set(o, key, value.constData()); }
};

struct Connection {
    ZOOM_connection c;
    ZOOM_resultset r = nullptr;
    ~Connection()
    {
        if (r)
            ZOOM_resultset_destroy(r);
        ZOOM_connection_destroy(c);
    }
};

// Bib-1 use attribute 7 is the ISBN; the CQL index is the Bath profile's.
QByteArray query(const Catalogue& catalogue, const QStringList& isbns)
{
    QByteArray q;
    if (catalogue.protocol == Catalogue::Protocol::Sru) {
        for (const QString& i : isbns)
            q += (q.isEmpty() ? "" : " or ") + QByteArray("bath.isbn=") + i.toLatin1();
        return q;
    }
    for (int k = 1; k < isbns.size(); ++k)
        q += "@or ";
    for (const QString& i : isbns)
        q += "@attr 1=7 " + i.toLatin1() + ' ';
    return q.trimmed();
}

Status statusOf(int code)
{
    switch (code) {
    case ZOOM_ERROR_CONNECT:
        return Status::Refused;
    case ZOOM_ERROR_TIMEOUT:
        return Status::Timeout;
    case ZOOM_ERROR_DECODE:
    case ZOOM_ERROR_CONNECTION_LOST:
    case ZOOM_ERROR_INIT:
        return Status::Garbage;
    default:
        return Status::Failed;
    }
}

bool readRecord(ZOOM_record rec, const Catalogue& catalogue, MarcRecord* out)
{
    int len = 0;
    const char* syntax = ZOOM_record_get(rec, "syntax", &len);
    const char* raw = ZOOM_record_get(rec, "raw", &len);
    if (!raw || len <= 0)
        return false;
    const QByteArray bytes(raw, len);
    const QByteArray s = syntax ? QByteArray(syntax).toLower() : QByteArray();
    if (s.contains("xml") || bytes.trimmed().startsWith('<'))
        return out->readXml(bytes);
    // ISO 2709: MARC 21 in MARC-8 unless its leader says UTF-8; UNIMARC as
    // the national catalogues send it, in UTF-8.
    return out->readIso2709(bytes, catalogue.syntax == Catalogue::Syntax::Marc21 ? "marc-8" : "utf-8");
}

} // namespace

CatalogueAnswer CatalogueClient::ask(const Catalogue& catalogue, const QStringList& isbns, int timeoutMs, const std::atomic_bool* cancel)
{
    // YAZ logs its failures in English on the terminal; ours are said in
    // the program's words instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] { yaz_log_init_level(YLOG_FATAL); });
    CatalogueAnswer answer;
    QElapsedTimer clock;
    clock.start();

    ZoomOptions options;
    options.set("async", "1");
    // YAZ's own time-out backs ours up; ours is the one that counts.
    options.set("timeout", QByteArray::number(std::max(1, (timeoutMs + 999) / 1000)));
    options.set("count", QByteArray::number(kMaxRecords));
    options.set("elementSetName", "F");
    if (catalogue.protocol == Catalogue::Protocol::Sru) {
        options.set("sru", "get");
        options.set("sru_version", "1.1");
        options.set("schema", "marcxml");
        options.set("recordPacking", "xml");
    } else {
        options.set("preferredRecordSyntax", catalogue.syntax == Catalogue::Syntax::Marc21 ? "usmarc" : "unimarc");
        // UNIMARC has no code of its own for its character set: the records
        // are asked for in UTF-8 by the protocol's character negotiation,
        // which the national catalogue answers (MARC 21 says it in its leader).
        if (catalogue.syntax == Catalogue::Syntax::Unimarc)
            options.set("charset", "UTF-8");
    }
    Connection conn{ZOOM_connection_create(options.o)};
    ZOOM_connection_connect(conn.c, catalogue.zoomAddress().toUtf8().constData(), 0);
    ZOOM_query q = ZOOM_query_create();
    const QByteArray text = query(catalogue, isbns);
    if (catalogue.protocol == Catalogue::Protocol::Sru)
        ZOOM_query_cql(q, text.constData());
    else
        ZOOM_query_prefix(q, text.constData());
    conn.r = ZOOM_connection_search(conn.c, q);
    ZOOM_query_destroy(q);

    // ZOOM_event's own loop, in steps short enough to notice a cancel.
    bool finished = false;
    while (!finished) {
        if (cancel && cancel->load()) {
            answer.status = Status::Cancelled;
            return answer;
        }
        if (clock.elapsed() >= timeoutMs) {
            answer.status = Status::Timeout;
            return answer;
        }
        if (ZOOM_event_nonblock(1, &conn.c) > 0) {
            if (ZOOM_connection_last_event(conn.c) == ZOOM_EVENT_END)
                finished = true;
            continue;
        }
        const int fd = ZOOM_connection_get_socket(conn.c);
        const int mask = ZOOM_connection_get_mask(conn.c);
        if (fd < 0 || mask == 0) {
            finished = true;
            break;
        }
        pollfd p{fd, 0, 0};
        if (mask & ZOOM_SELECT_READ)
            p.events |= POLLIN;
        if (mask & ZOOM_SELECT_WRITE)
            p.events |= POLLOUT;
        const int wait = static_cast<int>(std::min<qint64>(kStepMs, std::max<qint64>(1, timeoutMs - clock.elapsed())));
        const int n = ::poll(&p, 1, wait);
        if (n > 0) {
            int fired = 0;
            if (p.revents & POLLIN)
                fired |= ZOOM_SELECT_READ;
            if (p.revents & POLLOUT)
                fired |= ZOOM_SELECT_WRITE;
            if (p.revents & ~(POLLIN | POLLOUT))
                fired |= ZOOM_SELECT_EXCEPT;
            ZOOM_connection_fire_event_socket(conn.c, fired);
        }
    }

    const char* message = nullptr;
    const char* addinfo = nullptr;
    const int code = ZOOM_connection_error(conn.c, &message, &addinfo);
    if (code != ZOOM_ERROR_NONE) {
        answer.status = statusOf(code);
        answer.detail = QString::fromUtf8(message ? message : "")
            + (addinfo && *addinfo ? QStringLiteral(" (") + QString::fromUtf8(addinfo) + QLatin1Char(')') : QString());
        return answer;
    }
    const size_t hits = ZOOM_resultset_size(conn.r);
    if (hits == 0) {
        answer.status = Status::NoRecord;
        return answer;
    }
    int unreadable = 0;
    for (size_t i = 0; i < std::min<size_t>(hits, kMaxRecords); ++i) {
        ZOOM_record rec = ZOOM_resultset_record_immediate(conn.r, i);
        MarcRecord marc;
        if (!rec || ZOOM_record_error(rec, nullptr, nullptr, nullptr) != 0 || !readRecord(rec, catalogue, &marc)) {
            ++unreadable;
            continue;
        }
        MarcMapping::ReadOptions asked;
        asked.isbns = isbns;
        CatalogueRecord card = MarcMapping::card(marc, catalogue.syntax, asked);
        if (card.fields.isEmpty()) {
            ++unreadable;
            continue;
        }
        card.catalogue = catalogue.name;
        answer.records << card;
    }
    if (answer.records.isEmpty()) {
        answer.status = Status::Garbage;
        answer.detail = QStringLiteral("%1 record illeggibili").arg(unreadable);
        return answer;
    }
    answer.status = Status::Records;
    answer.total = static_cast<qint64>(hits);
    return answer;
}
