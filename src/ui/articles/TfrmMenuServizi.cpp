#include "TfrmMenuServizi.h"

#include "ui/shell/Screens.h"
#include "ui/shell/TForm.h"

TfrmMenuServizi::TfrmMenuServizi(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria - Articoli Giornalistici"))
{
    setObjectName(QStringLiteral("TfrmMenuServizi"));
}

void TfrmMenuServizi::formClose()
{
    Screens::get(Screens::Id::Avvio)->showScreen();
}
