#include "DeskMove.h"

QString DeskMove::kindText() const
{
    return kind == Kind::Lend ? QStringLiteral("Prestito") : QStringLiteral("Restituzione");
}
