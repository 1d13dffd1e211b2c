#include "TfrmExpBibliografie.h"

#include "core/collections/Collection.h"

TfrmExpBibliografie::TfrmExpBibliografie(QWidget* owner)
    : TfrmEsporta(owner, Collection::articles())
{
    setObjectName(QStringLiteral("TfrmExpBibliografie"));
}
