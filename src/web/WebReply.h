#pragma once

#include <QByteArray>

// One answer of the web catalogue: the status, the type of the body and the
// body, ready to send.
struct WebReply {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
};
