#include "TfrmStampaDVD.h"

#include "core/collections/Dvds.h"
#include "core/collections/Collection.h"

TfrmStampaDVD::TfrmStampaDVD(QWidget* owner)
    : TfrmStampaScheda(owner, sheet())
{
    setObjectName(QStringLiteral("TfrmStampaDVD"));
}

CardSheet TfrmStampaDVD::sheet()
{
    return CardSheet::of(Dvds::collection(), 28);
}
