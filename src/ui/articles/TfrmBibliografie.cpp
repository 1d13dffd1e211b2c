#include "TfrmBibliografie.h"

#include "ui/shell/Screens.h"
#include "ui/shell/TForm.h"

TfrmBibliografie::TfrmBibliografie(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Articoli giornalistici"))
{
    setObjectName(QStringLiteral("TfrmBibliografie"));
}

void TfrmBibliografie::formClose()
{
    Screens::get(Screens::Id::Avvio)->showScreen();
}
