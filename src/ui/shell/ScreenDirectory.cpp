#include "ScreenDirectory.h"

#include "core/text/Text.h"
#include "ui/shell/TForm.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <vector>

namespace Screens {

namespace {
std::array<TForm*, 3> roles{};
std::vector<TForm*> screens;
void (*endHandler)() = nullptr;
} // namespace

TForm* role(Role r)
{
    return roles.at(static_cast<std::size_t>(r));
}

void setRole(Role r, TForm* screen)
{
    roles.at(static_cast<std::size_t>(r)) = screen;
}

void enlist(TForm* screen)
{
    if (screen && std::find(screens.begin(), screens.end(), screen) == screens.end())
        screens.push_back(screen);
}

void dismiss(TForm* screen)
{
    std::erase(screens, screen);
    for (TForm*& r : roles) {
        if (r == screen)
            r = nullptr;
    }
}

TForm* named(const QString& objectName)
{
    for (TForm* screen : screens) {
        if (screen->objectName() == objectName)
            return screen;
    }
    return nullptr;
}

TForm* cardFor(const QString& callerTag)
{
    const QString tag = Text::trimmed(callerTag);
    if (tag.isEmpty())
        return nullptr;
    for (TForm* screen : screens) {
        if (screen->cardTag() == tag)
            return screen;
    }
    return nullptr;
}

void endApplication()
{
    if (endHandler)
        endHandler();
    else
        QCoreApplication::quit();
}

void setEndHandler(void (*handler)())
{
    endHandler = handler;
}

} // namespace Screens
