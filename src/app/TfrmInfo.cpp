#include "TfrmInfo.h"

TfrmInfo::TfrmInfo(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Informazioni su Tomaria"))
{
    setObjectName(QStringLiteral("TfrmInfo"));
}
