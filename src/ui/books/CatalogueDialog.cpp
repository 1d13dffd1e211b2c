#include "CatalogueDialog.h"

#include "ui/shell/Controls.h"

#include <QLabel>
#include <QPushButton>

CatalogueDialog::CatalogueDialog(QWidget* owner, const Frame& frame)
    : TForm(owner, Kind::Dialog, frame.caption, frame.client)
{
    setObjectName(QLatin1String(frame.objectName));
    setBackgroundGradient(QColor(0xEB, 0xE9, 0xE9), Qt::white);
    setPanelSize(frame.client);
    QWidget* pan = panContainer();
    auto* lbl = new QLabel(frame.intro, pan);
    lbl->setObjectName(QLatin1String(frame.introName));
    lbl->setFont(Controls::verdana(9));
    lbl->setWordWrap(true);
    lbl->setGeometry(12, 8, frame.client.width() - 24, frame.introHeight);
    const int y = frame.client.height() - 42;
    auto* ok = Controls::button(
        pan, QLatin1String(frame.okName), frame.okText, {frame.client.width() - 260, y, 120, 30}, Controls::verdana(9, true));
    connect(ok, &QPushButton::clicked, this, [this] { okClicked(); });
    auto* annulla = Controls::button(
        pan, QStringLiteral("cmdAnnulla"), QStringLiteral("Annulla"), {frame.client.width() - 132, y, 120, 30}, Controls::verdana(9, true));
    connect(annulla, &QPushButton::clicked, this, [this] { cancelClicked(); });
}
