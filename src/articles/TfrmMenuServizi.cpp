#include "TfrmMenuServizi.h"

#include "app/Screens.h"
#include "app/TfrmAvvio.h"

TfrmMenuServizi::TfrmMenuServizi(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Articoli Giornalistici"))
{
    setObjectName(QStringLiteral("TfrmMenuServizi"));
}

void TfrmMenuServizi::formClose()
{
    Screens::frmAvvio->showScreen();
}
