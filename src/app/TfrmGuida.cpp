#include "TfrmGuida.h"

TfrmGuida::TfrmGuida(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Guida all'utilizzo del software"))
{
    setObjectName(QStringLiteral("TfrmGuida"));
}

void TfrmGuida::showTopic(QWidget* owner, const QString& title, const QString& text)
{
    Q_UNUSED(owner);
    Q_UNUSED(title);
    Q_UNUSED(text);
}
