#include "NextCodes.h"

#include "core/collections/Collection.h"
#include "core/storage/DiskFile.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"

#include <QFileInfo>

bool NextCodes::load(const Collection& collection, const QString& archivePath, const QString& prefix)
{
    m_prefix = prefix;
    m_next = 1;
    m_width = 6;
    if (!QFileInfo::exists(archivePath))
        return true;
    const RecordLayout& layout = *collection.layout;
    const FieldDef* code = layout.find("Codice");
    RecordStore store;
    if (!code || !store.open(archivePath, layout.size, RecordStore::Mode::ReadExisting))
        return false;
    qint64 highest = 0;
    int width = 0;
    const bool read = store.scan([&](const char* record, qint64) {
        const QString c = Text::trimmed(TextSlot::read(record, *code, layout.kind));
        if (!c.startsWith(prefix, Qt::CaseInsensitive) || c.size() == prefix.size() || c.size() - prefix.size() > 15)
            return true;
        const QStringView digits = QStringView(c).mid(prefix.size());
        for (QChar d : digits)
            if (d < u'0' || d > u'9')
                return true;
        const qint64 n = digits.toLongLong();
        if (n >= highest) {
            highest = n;
            width = static_cast<int>(digits.size());
        }
        return true;
    });
    if (!read)
        return false;
    m_next = highest + 1;
    if (width > 0)
        m_width = width;
    return true;
}

QString NextCodes::take()
{
    return m_prefix + QString::number(m_next++).rightJustified(m_width, QLatin1Char('0'));
}
