#include "TfrmTrovaBibliografie.h"

TfrmTrovaBibliografie::TfrmTrovaBibliografie(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Trova articoli in schedario"))
{
    setObjectName(QStringLiteral("TfrmTrovaBibliografie"));
}
