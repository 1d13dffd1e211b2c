#include "TfrmGuida.h"

TfrmGuida::TfrmGuida(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Guida all'utilizzo del software"))
{
    setObjectName(QStringLiteral("TfrmGuida"));
}
