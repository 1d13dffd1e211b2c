#include "TfrmMenuServizi.h"

#include "ui/shell/Screens.h"
#include "ui/shell/TfrmAvvio.h"

TfrmMenuServizi::TfrmMenuServizi(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Articoli Giornalistici"))
{
    setObjectName(QStringLiteral("TfrmMenuServizi"));
}

void TfrmMenuServizi::formClose()
{
    Screens::frmAvvio->showScreen();
}
