#include "MarcHead.h"

#include <algorithm>

namespace {

bool digits(const QByteArray& bytes, qsizetype from, qsizetype count)
{
    if (bytes.size() < from + count)
        return false;
    return std::all_of(bytes.begin() + from, bytes.begin() + from + count, [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool MarcHead::recognised(const QByteArray& head)
{
    // ISO 2709: five digits of length, then a leader whose indicator and
    // subfield-code counts are 2 and whose entry map is "450" (MARC 21 adds
    // a 0, UNIMARC a blank).
    if (head.size() >= 24 && digits(head, 0, 5) && head.at(10) == '2' && head.at(11) == '2' && digits(head, 12, 5)
        && head.mid(20, 3) == "450")
        return true;
    QByteArray h = head.startsWith("\xEF\xBB\xBF") ? head.mid(3) : head;
    h = h.trimmed();
    return h.startsWith('<') && (h.contains("http://www.loc.gov/MARC21/slim") || h.contains("<record") || h.contains("<marc:record"));
}
