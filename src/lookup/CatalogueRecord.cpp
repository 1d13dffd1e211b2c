#include "CatalogueRecord.h"

QString CatalogueRecord::value(QStringView field) const
{
    for (const auto& [name, value] : fields)
        if (name == field)
            return value;
    return {};
}
