#include "XlsxStyles.h"

#include "core/storage/XlsxPart.h"
#include "core/text/InputBudget.h"

#include <QDate>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

// The built-in formats that show a date (day, month and year).
bool builtInDate(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

QString shortest(double value)
{
    if (std::fabs(value) < 1e15 && value == std::floor(value))
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

QString formatNumber(double value, const XlsxStyles::NumberFormat& f, bool date1904)
{
    if (f.date && value >= 0 && value < 2958466) {
        const qint64 days = qint64(std::floor(value));
        QDate date;
        if (date1904)
            date = QDate(1904, 1, 1).addDays(days);
        else if (days >= 61)
            date = QDate(1899, 12, 30).addDays(days);
        else
            date = QDate(1899, 12, 31).addDays(days); // before the false 29/02/1900
        if (date.isValid())
            return date.toString(QStringLiteral("dd/MM/yyyy"));
    }
    if (f.percent)
        value *= 100;
    QString text;
    if (f.decimals < 0) {
        text = shortest(value);
    } else {
        text = QString::number(std::fabs(value), 'f', std::min(f.decimals, 30));
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        const qsizetype digits = point < 0 ? text.size() : point;
        if (digits < f.integerDigits)
            text.prepend(QString(f.integerDigits - digits, QLatin1Char('0')));
        if (f.integerDigits == 0 && text.startsWith(QLatin1String("0.")))
            text.remove(0, 1);
        if (value < 0 && std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
            text.prepend(QLatin1Char('-'));
    }
    if (f.percent)
        text += QLatin1Char('%');
    return text;
}

} // namespace

XlsxStyles::NumberFormat XlsxStyles::parseFormat(const QString& code)
{
    NumberFormat f;
    // The first section only (the one for positive numbers), without its
    // quoted texts, escaped characters and [colour] or [$-410] parts.
    QString plain;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != QLatin1Char('"');
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = true;
        else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*'))
            ++i;
        else if (c == QLatin1Char('['))
            ++bracket;
        else if (c == QLatin1Char(']'))
            bracket = std::max(0, bracket - 1);
        else if (c == QLatin1Char(';') && bracket == 0)
            break;
        else if (bracket == 0)
            plain += c;
    }
    const QString lower = plain.toLower();
    if (lower == QLatin1String("general") || lower == QLatin1String("@") || lower.isEmpty())
        return f;
    if (lower.contains(QLatin1Char('d')) || lower.contains(QLatin1Char('y')) || lower.contains(QLatin1Char('a'))
        || lower.contains(QLatin1Char('g'))) {
        f.date = lower.contains(QLatin1Char('d')) || lower.contains(QLatin1Char('y'));
        if (f.date)
            return f;
    }
    f.percent = plain.contains(QLatin1Char('%'));
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? plain : plain.left(point);
    f.integerDigits = int(whole.count(QLatin1Char('0')));
    if (point >= 0) {
        f.decimals = 0;
        for (qsizetype i = point + 1; i < plain.size() && (plain[i] == QLatin1Char('0') || plain[i] == QLatin1Char('#')); ++i)
            ++f.decimals;
    } else if (whole.contains(QLatin1Char('0')) || whole.contains(QLatin1Char('#'))) {
        f.decimals = 0;
    }
    return f;
}

XlsxStyles::NumberFormat XlsxStyles::builtInFormat(int id)
{
    NumberFormat f;
    switch (id) {
    case 1:
        f.integerDigits = 1, f.decimals = 0;
        break; // 0
    case 2:
        f.integerDigits = 1, f.decimals = 2;
        break; // 0.00
    case 3:
        f.integerDigits = 1, f.decimals = 0;
        break; // #,##0
    case 4:
        f.integerDigits = 1, f.decimals = 2;
        break; // #,##0.00
    case 9:
        f.integerDigits = 1, f.decimals = 0, f.percent = true;
        break; // 0%
    case 10:
        f.integerDigits = 1, f.decimals = 2, f.percent = true;
        break; // 0.00%
    default:
        f.date = builtInDate(id);
        break;
    }
    return f;
}

XlsxReader::Status XlsxStyles::read(XlsxPart& part, QString* why)
{
    QHash<int, NumberFormat> custom;
    bool inCellXfs = false;
    while (part.exists()) {
        const auto token = part.next();
        if (token == QXmlStreamReader::Invalid) {
            *why = part.faultText();
            return part.fault() == XlsxPart::Fault::TooLarge ? XlsxReader::Status::TooLarge : XlsxReader::Status::Damaged;
        }
        if (token == QXmlStreamReader::EndDocument)
            break;
        if (token == QXmlStreamReader::EndElement && part.xml.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (part.xml.name() == QLatin1String("numFmt")) {
            if (custom.size() < InputBudget::kCellStyles)
                custom.insert(
                    part.attribute(QLatin1StringView("numFmtId")).toInt(), parseFormat(part.attribute(QLatin1StringView("formatCode"))));
        } else if (part.xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && part.xml.name() == QLatin1String("xf")) {
            if (qsizetype(m_styles.size()) >= InputBudget::kCellStyles) {
                *why = QStringLiteral("la parte %1 del file ha più di %2 stili di cella").arg(part.name()).arg(InputBudget::kCellStyles);
                return XlsxReader::Status::TooLarge;
            }
            const int id = part.attribute(QLatin1StringView("numFmtId")).toInt();
            m_styles.push_back(custom.contains(id) ? custom.value(id) : builtInFormat(id));
        }
    }
    return XlsxReader::Status::Done;
}

QString XlsxStyles::shown(double value, int style) const
{
    const NumberFormat format = style >= 0 && std::size_t(style) < m_styles.size() ? m_styles[std::size_t(style)] : NumberFormat();
    return formatNumber(value, format, m_date1904);
}
