#include "TfrmSplash.h"

#include "Maker.h"

TfrmSplash::TfrmSplash(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Tomaria - Realizzato da ") + Maker::kName)
{
    setObjectName(QStringLiteral("TfrmSplash"));
}
