#include "TfrmTrovaDisponibiliDVD.h"

#include "core/collections/DvdSearch.h"
#include "ui/dvd/TfrmTrovaDVD.h"

TfrmTrovaDisponibiliDVD::TfrmTrovaDisponibiliDVD(QWidget* owner)
    : TfrmTrova(owner, DvdSearch::available(), TfrmTrovaDVD::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibiliDVD"));
}
