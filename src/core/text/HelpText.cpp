#include "HelpText.h"

#include "core/text/ResourceText.h"

#include <QStringList>

namespace HelpText {

QString topic(const QString& name)
{
    const QString raw = ResourceText::read(QStringLiteral(":/help/%1.txt").arg(name));
    QStringList paragraphs;
    for (const QString& block : raw.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        const QString p = block.trimmed();
        if (!p.isEmpty())
            paragraphs << QString(p).replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

} // namespace HelpText
