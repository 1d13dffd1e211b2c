#include "TfrmBibliografie.h"

#include "app/Screens.h"
#include "app/TfrmAvvio.h"

TfrmBibliografie::TfrmBibliografie(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Articoli giornalistici"))
{
    setObjectName(QStringLiteral("TfrmBibliografie"));
}

void TfrmBibliografie::formClose()
{
    Screens::frmAvvio->showScreen();
}
