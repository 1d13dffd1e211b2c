#include "TfrmAllegaCartella.h"

TfrmAllegaCartella::TfrmAllegaCartella(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Allega file"))
{
    setObjectName(QStringLiteral("TfrmAllegaCartella"));
}
