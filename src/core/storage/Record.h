#pragma once

#include "RecordLayout.h"

#include <QByteArray>
#include <QString>

#include <string_view>

// One record buffer of a layout. Reads and writes any field by name; no other
// code needs to know an offset.
class Record {
public:
    explicit Record(const RecordLayout& layout);

    const RecordLayout& layout() const { return *m_layout; }
    QByteArray& bytes() { return m_bytes; }
    const QByteArray& bytes() const { return m_bytes; }

    bool has(std::string_view field) const { return m_layout->find(field) != nullptr; }
    QString text(std::string_view field) const;
    void setText(std::string_view field, QStringView value);
    std::string_view raw(std::string_view field) const;

    void clear();

private:
    const FieldDef& def(std::string_view field) const;

    const RecordLayout* m_layout;
    QByteArray m_bytes;
};
