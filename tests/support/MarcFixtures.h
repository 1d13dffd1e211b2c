#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// An ISO 2709 record from its leader and fields (a control field's text,
// or a data field's two indicators then each subfield after 0x1F), its
// lengths and directory made here, so that tests can write bytes YAZ would
// not (ESC, MARC-8) and lengths that lie.
inline QByteArray iso2709(QByteArray leader, const QList<QPair<QByteArray, QByteArray>>& fields)
{
    QByteArray directory, data;
    for (const auto& [tag, body] : fields) {
        const QByteArray field = body + '\x1e';
        directory += tag + QByteArray::number(field.size()).rightJustified(4, '0') + QByteArray::number(data.size()).rightJustified(5, '0');
        data += field;
    }
    directory += '\x1e';
    data += '\x1d';
    const int base = 24 + static_cast<int>(directory.size());
    leader.replace(0, 5, QByteArray::number(base + data.size()).rightJustified(5, '0'));
    leader.replace(12, 5, QByteArray::number(base).rightJustified(5, '0'));
    return leader + directory + data;
}
