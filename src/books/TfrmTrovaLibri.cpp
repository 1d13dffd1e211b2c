#include "TfrmTrovaLibri.h"

TfrmTrovaLibri::TfrmTrovaLibri(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Trova libri in archivio"))
{
    setObjectName(QStringLiteral("TfrmTrovaLibri"));
}
