#include "TfrmTrovaDisponibiliDVD.h"

#include "core/collections/Dvds.h"
#include "ui/dvd/TfrmTrovaDVD.h"

TfrmTrovaDisponibiliDVD::TfrmTrovaDisponibiliDVD(QWidget* owner)
    : TfrmTrova(owner, Dvds::available(), TfrmTrovaDVD::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibiliDVD"));
}
