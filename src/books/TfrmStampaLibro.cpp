#include "TfrmStampaLibro.h"

TfrmStampaLibro::TfrmStampaLibro(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Stampa scheda libro"))
{
    setObjectName(QStringLiteral("TfrmStampaLibro"));
}
