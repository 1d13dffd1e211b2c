#include "WebSearch.h"

#include <QUrl>

namespace WebSearch {

QString address(const QString& query)
{
    // Everything but the unreserved characters is encoded, "+" included,
    // which a search page would otherwise read as a blank.
    return QStringLiteral("http://") + kHost + QStringLiteral("/search?q=")
        + QString::fromLatin1(QUrl::toPercentEncoding(query));
}

} // namespace WebSearch
