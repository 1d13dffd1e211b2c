#include "TfrmExpLibri.h"

#include "core/collections/Collection.h"

TfrmExpLibri::TfrmExpLibri(QWidget* owner)
    : TfrmEsporta(owner, Collection::books())
{
    setObjectName(QStringLiteral("TfrmExpLibri"));
}
