#include "TfrmCambiaPassword.h"

TfrmCambiaPassword::TfrmCambiaPassword(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Cambia password"))
{
    setObjectName(QStringLiteral("TfrmCambiaPassword"));
}
