#include "TfrmTrovaDisponibiliDVD.h"

#include "core/collections/DvdTables.h"
#include "ui/dvd/TfrmTrovaDVD.h"

TfrmTrovaDisponibiliDVD::TfrmTrovaDisponibiliDVD(QWidget* owner)
    : TfrmTrova(owner, DvdTables::available(), TfrmTrovaDVD::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibiliDVD"));
}
