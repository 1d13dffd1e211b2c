#include "TfrmCreaRTF.h"

TfrmCreaRTF::TfrmCreaRTF(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Esporta scheda in RTF"))
{
    setObjectName(QStringLiteral("TfrmCreaRTF"));
}
