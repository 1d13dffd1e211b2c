#include "XlsxSheet.h"

#include "core/storage/XlsxPart.h"
#include "core/storage/XlsxSharedStrings.h"
#include "core/storage/XlsxStyles.h"
#include "core/text/InputBudget.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace {

// The 0-based column of a cell reference ("B3" -> 1); -1 when it has
// none, -2 when it is beyond the last column.
int columnOf(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128; ++i) {
        column = column * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
        if (column > XlsxReader::kMaxColumns)
            return -2;
    }
    return i == 0 ? -1 : column - 1;
}

} // namespace

XlsxSheet::XlsxSheet(const XlsxSharedStrings& strings, const XlsxStyles& styles)
    : m_strings(strings)
    , m_styles(styles)
{
}

bool XlsxSheet::shown(const QString& type, int style, const QString& value, QByteArray& text, QString* why) const
{
    text.clear();
    const QString trimmed = value.trimmed();
    if (type == QLatin1String("s")) {
        if (trimmed.isEmpty())
            return true;
        bool ok = false;
        const qint64 index = trimmed.toLongLong(&ok);
        if (!ok || index < 0 || index >= m_strings.size()) {
            *why = QStringLiteral("una cella rimanda a un testo che il file non contiene");
            return false;
        }
        text = m_strings.at(qsizetype(index));
    } else if (type == QLatin1String("inlineStr") || type == QLatin1String("str")) {
        text = XlsxPart::unescaped(value).toUtf8();
    } else if (type == QLatin1String("b")) {
        if (!trimmed.isEmpty())
            text = trimmed == QLatin1String("1") ? "VERO" : "FALSO";
    } else if (type == QLatin1String("e")) {
        text = value.toUtf8();
    } else if (type == QLatin1String("d")) {
        const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
        text = (date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : value).toUtf8();
    } else if (!trimmed.isEmpty()) {
        bool ok = false;
        const double number = trimmed.toDouble(&ok);
        if (!ok || !std::isfinite(number)) {
            *why = QStringLiteral("la cella non contiene un numero valido");
            return false;
        }
        text = m_styles.shown(number, style).toUtf8();
    }
    return true;
}

XlsxReader::Status XlsxSheet::read(XlsxPart& part, const std::function<bool(XlsxReader::Row&)>& onRow, QString* why, int* line)
{
    XlsxReader::Row row;
    int lastRow = 0;
    qsizetype rowBytes = 0;
    int column = -1; // of the cell being read
    QString type;    // its t attribute
    int style = 0;   // its s attribute
    QString value;   // its <v>, or its inline string
    QByteArray text; // what it shows
    bool inValue = false, inInline = false, inCell = false, inRow = false;
    int phonetic = 0;
    auto fail = [&](XlsxReader::Status status) {
        *line = row.line;
        return status;
    };
    for (;;) {
        const auto token = part.next();
        if (token == QXmlStreamReader::Invalid) {
            *why = part.faultText();
            return part.fault() == XlsxPart::Fault::TooLarge ? XlsxReader::Status::TooLarge : XlsxReader::Status::Damaged;
        }
        if (token == QXmlStreamReader::EndDocument)
            break;
        const QStringView name = part.xml.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == QLatin1String("row")) {
                bool ok = false;
                const int r = part.attribute(QLatin1StringView("r")).toInt(&ok);
                row.line = ok && r > 0 ? r : lastRow + 1;
                row.fields.clear();
                rowBytes = 0;
                inRow = true;
            } else if (name == QLatin1String("c") && inRow) {
                const QString ref = part.attribute(QLatin1StringView("r"));
                column = ref.isEmpty() ? -1 : columnOf(ref);
                if (column == -1)
                    column = static_cast<int>(row.fields.size());
                if (column < 0 || column >= XlsxReader::kMaxColumns) {
                    *why = QStringLiteral("la cella %1 è oltre l'ultima colonna di un foglio").arg(ref);
                    return fail(XlsxReader::Status::Damaged);
                }
                type = part.attribute(QLatin1StringView("t"));
                style = part.attribute(QLatin1StringView("s")).toInt();
                value.clear();
                inCell = true;
            } else if (inCell && name == QLatin1String("v")) {
                inValue = true;
            } else if (inCell && name == QLatin1String("is")) {
                inInline = true;
            } else if (inInline && name == QLatin1String("rPh")) {
                ++phonetic;
            } else if (inInline && name == QLatin1String("t")) {
                inValue = phonetic == 0;
            }
        } else if (token == QXmlStreamReader::Characters) {
            if (inValue) {
                value += part.xml.text();
                if (value.size() > XlsxReader::kMaxFieldBytes) {
                    *why = QStringLiteral("una cella supera %1 caratteri").arg(XlsxReader::kMaxFieldBytes);
                    return fail(XlsxReader::Status::FieldTooLong);
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == QLatin1String("v") || name == QLatin1String("t")) {
                inValue = false;
            } else if (name == QLatin1String("rPh")) {
                phonetic = std::max(0, phonetic - 1);
            } else if (name == QLatin1String("is")) {
                inInline = false;
            } else if (name == QLatin1String("c") && inCell) {
                inCell = false;
                if (!shown(type, style, value, text, why))
                    return fail(XlsxReader::Status::Damaged);
                if (text.isEmpty())
                    continue;
                if (text.size() > XlsxReader::kMaxFieldBytes) {
                    *why = QStringLiteral("una cella supera %1 byte").arg(XlsxReader::kMaxFieldBytes);
                    return fail(XlsxReader::Status::FieldTooLong);
                }
                while (row.fields.size() <= column)
                    row.fields.append(QByteArray());
                rowBytes += text.size() - row.fields[column].size();
                if (rowBytes > InputBudget::kRowBytes) {
                    *why = QStringLiteral("una riga supera %1 MB di testo").arg(InputBudget::kRowBytes / (1024 * 1024));
                    return fail(XlsxReader::Status::FieldTooLong);
                }
                row.fields[column] = text;
            } else if (name == QLatin1String("row") && inRow) {
                inRow = false;
                lastRow = row.line;
                if (!row.fields.isEmpty() && !onRow(row))
                    return XlsxReader::Status::Stopped;
            }
        }
    }
    return XlsxReader::Status::Done;
}
