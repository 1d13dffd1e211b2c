#pragma once

#include "core/storage/XlsxReader.h"

#include <QByteArray>
#include <QString>

#include <vector>

class XlsxPart;

// A workbook's shared strings, the texts its cells point at by number,
// held in UTF-8 one after the other (a few bytes per string more than the
// texts themselves, whatever their number). At most
// InputBudget::kSharedStrings strings of together
// InputBudget::kSharedStringBytes, none over InputBudget::kCellBytes.
class XlsxSharedStrings {
public:
    // Reads the shared strings part; on a fault `why` says what it was.
    XlsxReader::Status read(XlsxPart& part, QString* why);

    qsizetype size() const { return qsizetype(m_ends.size()); }
    QByteArray at(qsizetype index) const;

private:
    QByteArray m_bytes;
    std::vector<quint32> m_ends; // where each string ends in m_bytes
};
