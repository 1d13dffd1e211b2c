#include "TfrmExpBibliografie.h"

TfrmExpBibliografie::TfrmExpBibliografie(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Esporta schedario articoli giornalistici in Microsoft Excel"))
{
    setObjectName(QStringLiteral("TfrmExpBibliografie"));
}
