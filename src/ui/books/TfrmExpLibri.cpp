#include "TfrmExpLibri.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"

TfrmExpLibri::TfrmExpLibri(QWidget* owner)
    : TfrmEsporta(owner, Books::collection())
{
    setObjectName(QStringLiteral("TfrmExpLibri"));
}
