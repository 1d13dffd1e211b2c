#include "TfrmDVD.h"

#include "app/Screens.h"
#include "app/TfrmAvvio.h"

TfrmDVD::TfrmDVD(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Archivio DVD"))
{
    setObjectName(QStringLiteral("TfrmDVD"));
}

void TfrmDVD::formClose()
{
    Screens::frmAvvio->showScreen();
}
