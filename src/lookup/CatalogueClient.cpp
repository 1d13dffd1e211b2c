#include "CatalogueClient.h"

#include "core/text/InputBudget.h"
#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"

#include <QElapsedTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <linux/tcp.h>

#include <libxml/xmlerror.h>

#include <yaz/log.h>
#include <yaz/zoom.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

using Status = CatalogueAnswer::Status;

constexpr int kStepMs = 50;
constexpr qsizetype kDetailChars = 200;

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

void dropXmlError(void*, const char*, ...)
{
}

// YAZ and libxml2 (which reads SRU answers for YAZ) write their log lines
// and errors, in English and some with the server's raw answer, to the
// terminal; they are for whoever asks with TOMARIA_YAZ_LOG=1. libxml2's
// handler belongs to the thread, so it is set in every thread that asks.
void quietYaz()
{
    const char* wanted = std::getenv("TOMARIA_YAZ_LOG");
    if (wanted && std::strcmp(wanted, "1") == 0)
        return;
    static std::once_flag once;
    std::call_once(once, [] { yaz_log_init_level(0); });
    xmlSetGenericErrorFunc(nullptr, &dropXmlError);
}

// The bytes the connection's socket has received so far, as the kernel
// counts them, whoever read them (YAZ reads on its own too); -1 when
// unknown.
qint64 receivedBytes(int fd)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    if (fd < 0 || ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0
        || size < socklen_t(offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received))
        return -1;
    return qint64(info.tcpi_bytes_received);
}

// A request to glibc's resolver in a thread of its own, so that a name
// server that does not answer is waited for only as long as the look-up
// allows. A request glibc can no longer cancel goes on writing into its
// record, so that record is then left to it (a few hundred bytes, only when
// a name server hangs).
struct Resolution {
    QByteArray host;
    addrinfo hints{};
    gaicb request{};
};

enum class Resolved { Address, Unknown, Timeout, Cancelled };

// Resolves `host` within `ms`; `ipv4` gets its first IPv4 address, if any.
Resolved resolve(const QByteArray& host, qint64 ms, const std::atomic_bool* cancel, QByteArray* ipv4)
{
    auto* r = new Resolution;
    r->host = host;
    r->hints.ai_socktype = SOCK_STREAM;
    r->request.ar_name = r->host.constData();
    r->request.ar_request = &r->hints;
    gaicb* list[] = {&r->request};
    if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        delete r;
        return Resolved::Unknown;
    }
    QElapsedTimer clock;
    clock.start();
    Resolved outcome = Resolved::Address;
    while (gai_error(&r->request) == EAI_INPROGRESS) {
        if ((cancel && cancel->load()) || clock.elapsed() >= ms) {
            outcome = cancel && cancel->load() ? Resolved::Cancelled : Resolved::Timeout;
            break;
        }
        const qint64 wait = std::min<qint64>(kStepMs, ms - clock.elapsed());
        const timespec step{0, long(std::max<qint64>(1, wait)) * 1'000'000L};
        gai_suspend(list, 1, &step);
    }
    if (outcome != Resolved::Address) {
        if (gai_cancel(&r->request) == EAI_CANCELED || gai_error(&r->request) != EAI_INPROGRESS) {
            if (r->request.ar_result)
                freeaddrinfo(r->request.ar_result);
            delete r;
        }
        return outcome;
    }
    if (gai_error(&r->request) != 0) {
        delete r;
        return Resolved::Unknown;
    }
    for (const addrinfo* a = r->request.ar_result; a; a = a->ai_next) {
        if (a->ai_family == AF_INET) {
            char text[INET_ADDRSTRLEN] = {};
            if (inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr, text, sizeof text))
                *ipv4 = text;
            break;
        }
    }
    freeaddrinfo(r->request.ar_result);
    delete r;
    return Resolved::Address;
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
    quietYaz();

    // The host's name resolved within the time allowed; a Z39.50 catalogue
    // is then reached at the address found, so that YAZ does not resolve
    // the name again without a time-out. (SRU keeps the name, which its
    // HTTP requests must carry.)
    QString zoomAddress = catalogue.zoomAddress();
    {
        const bool sru = catalogue.protocol == Catalogue::Protocol::Sru;
        const QUrl url = sru ? QUrl(catalogue.address) : QUrl(QStringLiteral("z3950://") + catalogue.address);
        QByteArray ipv4;
        switch (url.host().isEmpty() ? Resolved::Unknown : resolve(url.host().toUtf8(), timeoutMs, cancel, &ipv4)) {
        case Resolved::Address:
            if (!sru && !ipv4.isEmpty() && url.port() > 0)
                zoomAddress = QStringLiteral("tcp:%1:%2").arg(QString::fromLatin1(ipv4)).arg(url.port())
                    + (catalogue.database.isEmpty() ? QString() : QLatin1Char('/') + catalogue.database);
            break;
        case Resolved::Unknown:
            answer.status = Status::Refused;
            answer.detail = QStringLiteral("nome del server sconosciuto");
            return answer;
        case Resolved::Timeout:
            answer.status = Status::Timeout;
            answer.detail = QStringLiteral("il nome del server non si risolve in tempo");
            return answer;
        case Resolved::Cancelled:
            answer.status = Status::Cancelled;
            return answer;
        }
    }

    ZoomOptions options;
    options.set("async", "1");
    // YAZ's own time-out backs ours up; ours is the one that counts.
    options.set("timeout", QByteArray::number(std::max(1, (timeoutMs + 999) / 1000)));
    options.set("count", QByteArray::number(kMaxRecords));
    options.set("preferredMessageSize", QByteArray::number(InputBudget::kAnswerBytes));
    options.set("maximumRecordSize", QByteArray::number(InputBudget::kAnswerBytes));
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
    ZOOM_connection_connect(conn.c, zoomAddress.toUtf8().constData(), 0);
    ZOOM_query q = ZOOM_query_create();
    const QByteArray text = query(catalogue, isbns);
    if (catalogue.protocol == Catalogue::Protocol::Sru)
        ZOOM_query_cql(q, text.constData());
    else
        ZOOM_query_prefix(q, text.constData());
    conn.r = ZOOM_connection_search(conn.c, q);
    ZOOM_query_destroy(q);

    // ZOOM_event's own loop, in steps short enough to notice a cancel. The
    // bytes received are counted at every step, so that an answer over its
    // budget is refused while it comes. (YAZ reads on while bytes are
    // waiting: from a server that fills the link faster than YAZ reads,
    // one step can take more, up to YAZ's own limit of 128 MB.)
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
        if (receivedBytes(ZOOM_connection_get_socket(conn.c)) > InputBudget::kAnswerBytes) {
            answer.status = Status::Garbage;
            answer.detail = QStringLiteral("la risposta supera %1 MB").arg(InputBudget::kAnswerBytes / (1024 * 1024));
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
        // The server's own words may be anything, of any length: one line
        // of a few words is kept.
        answer.detail = answer.detail.simplified();
        if (answer.detail.size() > kDetailChars)
            answer.detail = answer.detail.left(kDetailChars) + QStringLiteral("...");
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
