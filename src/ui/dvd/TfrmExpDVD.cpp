#include "TfrmExpDVD.h"

#include "core/collections/Dvds.h"
#include "core/collections/Collection.h"

TfrmExpDVD::TfrmExpDVD(QWidget* owner)
    : TfrmEsporta(owner, Dvds::collection())
{
    setObjectName(QStringLiteral("TfrmExpDVD"));
}
