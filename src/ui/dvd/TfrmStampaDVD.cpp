#include "TfrmStampaDVD.h"

TfrmStampaDVD::TfrmStampaDVD(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Stampa scheda DVD"))
{
    setObjectName(QStringLiteral("TfrmStampaDVD"));
}
