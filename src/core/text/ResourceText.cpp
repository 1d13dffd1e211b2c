#include "ResourceText.h"

#include <QFile>

namespace ResourceText {

QString read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QStringList lines(const QString& path)
{
    QStringList out = read(path).split(QLatin1Char('\n'));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace ResourceText
