#include "Record.h"

#include "TextSlot.h"

#include <stdexcept>
#include <string>

Record::Record(const RecordLayout& layout)
    : m_layout(&layout)
    , m_bytes(layout.size, '\0')
{
}

const FieldDef& Record::def(std::string_view field) const
{
    if (const FieldDef* f = m_layout->find(field))
        return *f;
    // A wrong field name is a programming error, never a user's input.
    throw std::logic_error(std::string(m_layout->name) + " has no field " + std::string(field));
}

QString Record::text(std::string_view field) const
{
    return TextSlot::read(m_bytes.constData(), def(field), m_layout->kind);
}

void Record::setText(std::string_view field, QStringView value)
{
    TextSlot::write(m_bytes.data(), def(field), m_layout->kind, value);
}

std::string_view Record::raw(std::string_view field) const
{
    return TextSlot::raw(m_bytes.constData(), def(field), m_layout->kind);
}

void Record::clear()
{
    m_bytes.fill('\0');
}
