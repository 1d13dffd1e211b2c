#include "TfrmPassword.h"

TfrmPassword::TfrmPassword(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Tomaria - Accedi"))
{
    setObjectName(QStringLiteral("TfrmPassword"));
}
