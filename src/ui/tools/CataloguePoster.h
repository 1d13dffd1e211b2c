#pragma once

#include "print/report/PreparedReport.h"

#include <QString>

// The small poster for the reading room: the web catalogue's address as
// text and as a QR Code, on one A5 page.
namespace CataloguePoster {

PreparedReport make(const QString& url);

} // namespace CataloguePoster
