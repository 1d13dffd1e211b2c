#include "TfrmDVD.h"

#include "ui/shell/Screens.h"
#include "ui/shell/TfrmAvvio.h"

TfrmDVD::TfrmDVD(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Archivio DVD"))
{
    setObjectName(QStringLiteral("TfrmDVD"));
}

void TfrmDVD::formClose()
{
    Screens::frmAvvio->showScreen();
}
