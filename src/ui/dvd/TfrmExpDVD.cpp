#include "TfrmExpDVD.h"

TfrmExpDVD::TfrmExpDVD(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Esporta archivio DVD in Microsoft Excel"))
{
    setObjectName(QStringLiteral("TfrmExpDVD"));
}
