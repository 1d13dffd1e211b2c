#include "ReportText.h"

#include "ReportFonts.h"
#include "ReportUnits.h"
#include "core/text/Clock.h"

#include <QFontMetricsF>
#include <QRegularExpression>

namespace {
const QString kDate = QStringLiteral("[DATE]");
}

ReportText::ReportText(const QString& name, const QRectF& geometry)
    : ReportObject(Type::Text, name, geometry)
{
    setFont(QStringLiteral("Arial"), 10);
}

void ReportText::setFont(const QString& family, qreal pointSize, bool bold)
{
    ReportFonts::ensureSubstitutes();
    m_font = QFont(family);
    m_font.setPointSizeF(pointSize);
    m_font.setBold(bold);
}

qreal ReportText::linePitch() const
{
    if (m_linePitch > 0)
        return m_linePitch;
    // The font's line spacing in pixels of a 96 dpi device: one report unit each.
    return ReportFonts::metrics(m_font).lineSpacing();
}

void ReportText::setText(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    m_lines = text.split(breaks);
    if (m_lines.size() == 1 && m_lines.first().isEmpty())
        m_lines.clear();
}

bool ReportText::hasExpression(const QString& line)
{
    return line.contains(kDate);
}

QString ReportText::expand(const QString& line, const QDate& date)
{
    QString out = line;
    return out.replace(kDate, Clock::shortDate(date));
}
