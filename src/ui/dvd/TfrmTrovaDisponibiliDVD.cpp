#include "TfrmTrovaDisponibiliDVD.h"

TfrmTrovaDisponibiliDVD::TfrmTrovaDisponibiliDVD(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Trova DVD disponibili per il prestito"))
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibiliDVD"));
}
