#include "TfrmExpLibri.h"

TfrmExpLibri::TfrmExpLibri(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Esporta archivio libri in Microsoft Excel"))
{
    setObjectName(QStringLiteral("TfrmExpLibri"));
}
