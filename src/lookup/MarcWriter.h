#pragma once

#include <QByteArray>

class MarcRecord;

// MARC records written one after another, through YAZ: ISO 2709 in UTF-8
// (the leader's lengths and directory YAZ's own) or a MARCXML collection.
// A record ISO 2709 cannot hold (longer than 99,999 bytes, or a field
// longer than 9,999) is refused.
class MarcWriter {
public:
    enum class Format { Iso2709, MarcXml };

    explicit MarcWriter(Format format);
    ~MarcWriter();
    MarcWriter(const MarcWriter&) = delete;
    MarcWriter& operator=(const MarcWriter&) = delete;

    // Appends `record` to `out`; false (and `out` as it was) when YAZ
    // cannot write it.
    bool write(const MarcRecord& record, QByteArray& out);
    // What ends the file: the collection's closing tag for MARCXML (and its
    // opening when no record was written), nothing for ISO 2709.
    QByteArray finish();

private:
    struct Yaz;
    Yaz* m_yaz;
    Format m_format;
    bool m_any = false;
};
