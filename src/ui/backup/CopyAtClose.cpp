#include "CopyAtClose.h"

#include "ui/shell/Msg.h"
#include "ui/shell/TForm.h"

#include <QApplication>
#include <QLabel>

namespace CopyAtClose {

SafetyCopy::Outcome run(TForm* menu, bool* ran)
{
    bool tried = false;
    const bool due = SafetyCopy::due(SafetyCopy::folder());
    QLabel* line = nullptr;
    if (due && menu && menu->isVisible()) {
        // Below the maker's strip, between the credits and exit icons:
        // clear of every element of the menu.
        line = menu->control<QLabel>(kLineName);
        if (!line) {
            line = new QLabel(menu->panContainer());
            line->setObjectName(kLineName);
            line->setGeometry(97, 652, 800, 26);
            line->setAlignment(Qt::AlignCenter);
            line->setStyleSheet(QStringLiteral("color: #FFFFFF; background: #1F4E8C; font-weight: bold;"));
        }
        line->setText(SafetyCopy::kRunning);
        line->show();
        line->repaint();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    SafetyCopy::Outcome result = due ? SafetyCopy::automatic(&tried) : SafetyCopy::Outcome{true, {}, {}};
    if (ran)
        *ran = tried;
    if (line) {
        line->setText(result.ok ? kDone : kFailed);
        line->repaint();
    }
    if (!result.ok)
        Msg::error(menu && menu->isVisible() ? menu : nullptr, SafetyCopy::failureMessage(result.error));
    return result;
}

} // namespace CopyAtClose
