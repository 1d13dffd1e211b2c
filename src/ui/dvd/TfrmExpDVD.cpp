#include "TfrmExpDVD.h"

#include "core/collections/Collection.h"

TfrmExpDVD::TfrmExpDVD(QWidget* owner)
    : TfrmEsporta(owner, Collection::dvd())
{
    setObjectName(QStringLiteral("TfrmExpDVD"));
}
