#include "CatalogueMerge.h"

#include "core/collections/Collection.h"
#include "core/storage/RecordLayout.h"
#include "core/text/Text.h"
#include "lookup/Isbn.h"

#include <algorithm>

CatalogueMerge::CatalogueMerge(const Collection& collection, const CatalogueRecord& record, const Typed& typed)
{
    for (const auto& [field, value] : record.fields) {
        const QByteArray name = field.toLatin1();
        if (!collection.layout->find(std::string_view(name.constData(), std::size_t(name.size()))))
            continue;
        const std::optional<QString> shown = typed(field);
        if (!shown)
            continue;
        m_order << field;
        const QString now = Text::trimmed(*shown);
        if (now.isEmpty())
            m_fills << Change{field, QString(), value};
        else if (!sameValue(collection, field, now, value))
            m_offers << Change{field, now, value};
    }
}

QList<CatalogueMerge::Change> CatalogueMerge::chosen(const QList<bool>& replace) const
{
    QList<Change> picked = m_fills;
    for (qsizetype i = 0; i < m_offers.size(); ++i) {
        if (replace.value(i))
            picked << m_offers[i];
    }
    std::stable_sort(picked.begin(), picked.end(),
        [this](const Change& a, const Change& b) { return m_order.indexOf(a.field) < m_order.indexOf(b.field); });
    return picked;
}

bool CatalogueMerge::sameValue(const Collection& collection, const QString& field, const QString& typed, const QString& found)
{
    if (!collection.roles.isbn.empty() && field == Text::latin1(collection.roles.isbn)) {
        const QStringList a = Isbn::forms(typed), b = Isbn::forms(found);
        for (const QString& x : a) {
            if (b.contains(x))
                return true;
        }
    }
    return Text::trimmed(typed) == Text::trimmed(found);
}
