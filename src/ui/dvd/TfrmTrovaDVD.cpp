#include "TfrmTrovaDVD.h"

#include "core/collections/Dvds.h"

TfrmTrovaDVD::TfrmTrovaDVD(QWidget* owner)
    : TfrmTrova(owner, Dvds::search(), stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDVD"));
}

QStringList TfrmTrovaDVD::stripIcons()
{
    return {QStringLiteral("sec_dvd"), QStringLiteral("sec_cast"), QStringLiteral("dvd_pellicola"), QStringLiteral("sec_lingua"),
        QStringLiteral("dvd_ciak")};
}
