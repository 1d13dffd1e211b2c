#include "TfrmExpBibliografie.h"

#include "core/collections/Articles.h"
#include "core/collections/Collection.h"

TfrmExpBibliografie::TfrmExpBibliografie(QWidget* owner)
    : TfrmEsporta(owner, Articles::collection())
{
    setObjectName(QStringLiteral("TfrmExpBibliografie"));
}
