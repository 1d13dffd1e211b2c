#include "ListReport.h"

namespace ListReport {

void print(QWidget* parent, const QString& title, const QStringList& lines)
{
    Q_UNUSED(parent);
    Q_UNUSED(title);
    Q_UNUSED(lines);
}

} // namespace ListReport
