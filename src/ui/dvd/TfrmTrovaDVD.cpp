#include "TfrmTrovaDVD.h"

TfrmTrovaDVD::TfrmTrovaDVD(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Trova DVD in archivio"))
{
    setObjectName(QStringLiteral("TfrmTrovaDVD"));
}
