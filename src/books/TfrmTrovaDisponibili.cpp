#include "TfrmTrovaDisponibili.h"

TfrmTrovaDisponibili::TfrmTrovaDisponibili(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Trova libri disponibili per il prestito"))
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibili"));
}
