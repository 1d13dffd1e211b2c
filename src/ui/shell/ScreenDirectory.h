#pragma once

#include <QString>

class TForm;

// How screens reach each other without knowing each other's classes: the
// screens of the run by the part they play and by name, and the card screen
// that answers to a caller tag. The registry (above every screen) fills it;
// nothing here knows a collection.
namespace Screens {

// The parts some screens of the shell hand over to.
enum class Role {
    Login,    // the main window, the first one shown
    MainMenu, // where every card and menu returns
    ChangePassword,
};

TForm* role(Role role);
void setRole(Role role, TForm* screen);

// The start-up screens, in creation order.
void enlist(TForm* screen);
void dismiss(TForm* screen);

// The start-up screen of this object name; nullptr when there is none.
TForm* named(const QString& objectName);
// The start-up screen that answers to a caller tag (trimmed); nullptr for
// an empty or unknown tag.
TForm* cardFor(const QString& callerTag);

// Ends the application (the event loop stops; every screen is destroyed
// with the process). Tests replace it to observe the request.
void endApplication();
void setEndHandler(void (*handler)());

} // namespace Screens
