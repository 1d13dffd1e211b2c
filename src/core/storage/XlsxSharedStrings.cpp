#include "XlsxSharedStrings.h"

#include "core/storage/XlsxPart.h"
#include "core/text/InputBudget.h"

#include <algorithm>
#include <limits>

static_assert(InputBudget::kSharedStringBytes < qsizetype(std::numeric_limits<quint32>::max()));

XlsxReader::Status XlsxSharedStrings::read(XlsxPart& part, QString* why)
{
    QString text;
    int phonetic = 0;
    bool inText = false;
    while (part.exists()) {
        const auto token = part.next();
        if (token == QXmlStreamReader::Invalid) {
            *why = part.faultText();
            return part.fault() == XlsxPart::Fault::TooLarge ? XlsxReader::Status::TooLarge : XlsxReader::Status::Damaged;
        }
        if (token == QXmlStreamReader::EndDocument)
            break;
        const QStringView name = part.xml.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == QLatin1String("si"))
                text.clear();
            else if (name == QLatin1String("rPh"))
                ++phonetic;
            else if (name == QLatin1String("t"))
                inText = phonetic == 0;
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == QLatin1String("si")) {
                if (size() >= InputBudget::kSharedStrings) {
                    *why = QStringLiteral("il file ha più di %1 testi condivisi").arg(InputBudget::kSharedStrings);
                    return XlsxReader::Status::TooLarge;
                }
                const QByteArray utf8 = XlsxPart::unescaped(text).toUtf8();
                // Grown by doubling as usual, but never past the budget and
                // the one string over it, so that growing never holds twice
                // the budget.
                if (m_bytes.size() + utf8.size() > m_bytes.capacity())
                    m_bytes.reserve(std::min(std::max(2 * m_bytes.capacity(), m_bytes.size() + utf8.size()),
                        std::max(InputBudget::kSharedStringBytes + 1, m_bytes.size() + utf8.size())));
                m_bytes += utf8;
                if (m_bytes.size() > InputBudget::kSharedStringBytes) {
                    *why = QStringLiteral("i testi condivisi del file superano %1 MB").arg(InputBudget::kSharedStringBytes / (1024 * 1024));
                    return XlsxReader::Status::TooLarge;
                }
                m_ends.push_back(quint32(m_bytes.size()));
            } else if (name == QLatin1String("rPh")) {
                --phonetic;
            } else if (name == QLatin1String("t")) {
                inText = false;
            }
        } else if (token == QXmlStreamReader::Characters && inText) {
            text += part.xml.text();
            if (text.size() > InputBudget::kCellBytes) {
                *why = QStringLiteral("un testo del file supera %1 caratteri").arg(InputBudget::kCellBytes);
                return XlsxReader::Status::FieldTooLong;
            }
        }
    }
    return XlsxReader::Status::Done;
}

QByteArray XlsxSharedStrings::at(qsizetype index) const
{
    const quint32 from = index == 0 ? 0 : m_ends[std::size_t(index - 1)];
    return m_bytes.mid(from, m_ends[std::size_t(index)] - from);
}
