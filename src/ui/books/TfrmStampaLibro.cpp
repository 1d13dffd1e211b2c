#include "TfrmStampaLibro.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"

TfrmStampaLibro::TfrmStampaLibro(QWidget* owner)
    : TfrmStampaScheda(owner, sheet())
{
    setObjectName(QStringLiteral("TfrmStampaLibro"));
}

CardSheet TfrmStampaLibro::sheet()
{
    return CardSheet::of(Books::collection(), 26);
}
