#include "TfrmStrumenti.h"

#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"
#include "ui/tools/Tools.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kRowHeight = 64;
constexpr int kWidth = 460;

} // namespace

TfrmStrumenti::TfrmStrumenti(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Strumenti"), QSize(kWidth, 24 + int(Tools::all().size()) * kRowHeight + 52))
{
    setObjectName(QStringLiteral("TfrmStrumenti"));
    setBackgroundGradient(QColor(0x1F, 0x4E, 0x8C), QColor(0xDC, 0xEB, 0xF8));
    const int rows = int(Tools::all().size());
    setPanelSize(QSize(kWidth, 24 + rows * kRowHeight + 52));
    QWidget* pan = panContainer();
    int y = 16;
    for (const Tool& tool : Tools::all()) {
        auto* picture = new Picture(tool.name, tool.icon, pan, {16, y, 48, 48}, true);
        picture->setToolTip(tool.hint);
        const QString name = tool.name;
        connect(picture, &Picture::clicked, this, [this, name] { pick(name); });
        auto* caption = Controls::button(
            pan, tool.name + QStringLiteral("Voce"), tool.caption, {76, y + 2, 368, 26}, Controls::verdana(10, true));
        caption->setStyleSheet(QStringLiteral("text-align: left; padding-left: 8px;"));
        connect(caption, &QPushButton::clicked, this, [this, name] { pick(name); });
        auto* hint = new QLabel(tool.hint, pan);
        hint->setObjectName(tool.name + QStringLiteral("Suggerimento"));
        hint->setGeometry(80, y + 31, 368, 18);
        hint->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
        y += kRowHeight;
    }
    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {kWidth - 136, y + 12, 120, 28}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
}

void TfrmStrumenti::pick(const QString& name)
{
    for (const Tool& tool : Tools::all()) {
        if (tool.name == name) {
            m_chosen = &tool;
            close();
            return;
        }
    }
}

void TfrmStrumenti::open(QWidget* owner)
{
    const Tool* chosen = nullptr;
    {
        TfrmStrumenti list(owner);
        list.execModal(true);
        chosen = list.chosen();
    }
    if (chosen && chosen->open)
        chosen->open(owner);
}
