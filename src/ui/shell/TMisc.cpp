#include "TMisc.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>

namespace {
TMisc::Opener& opener()
{
    static TMisc::Opener o;
    return o;
}
} // namespace

QUrl TMisc::toUrl(const QString& target)
{
    QString t = target.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        t = t.mid(1, t.size() - 2);
    static const QRegularExpression scheme(QStringLiteral("^(https?|mailto|ftp|file):"), QRegularExpression::CaseInsensitiveOption);
    if (scheme.match(t).hasMatch())
        return QUrl(t, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QDir::fromNativeSeparators(t));
}

bool TMisc::Open(const QString& target)
{
    const QUrl url = toUrl(target);
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

void TMisc::setOpener(Opener o)
{
    opener() = std::move(o);
}
