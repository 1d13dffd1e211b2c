#include "PreparedReport.h"

QStringList PageItem::lines() const
{
    if (!text || lineCount <= 0)
        return {};
    return text->lines.mid(firstLine, lineCount);
}

const PageItem* PreparedPage::find(const QString& name) const
{
    for (const PageItem& item : items) {
        if (item.name == name)
            return &item;
    }
    return nullptr;
}
