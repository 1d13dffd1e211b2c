#include "TfrmCodici_Dewey.h"

TfrmCodici_Dewey::TfrmCodici_Dewey(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Tabella Codici Dewey"))
{
    setObjectName(QStringLiteral("TfrmCodici_Dewey"));
}
