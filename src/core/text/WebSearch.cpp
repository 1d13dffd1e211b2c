#include "WebSearch.h"

#include <QUrl>

namespace WebSearch {

QString address(const QString& query)
{
    // Over https, so that the query does not travel in clear. Everything but
    // the unreserved characters is encoded, "+" included, which a search
    // page would otherwise read as a blank.
    return QStringLiteral("https://") + kHost + QStringLiteral("/search?q=") + QString::fromLatin1(QUrl::toPercentEncoding(query));
}

} // namespace WebSearch
