#pragma once

// Creates the start-up screens once (the login screen first, so it becomes
// the main window; then the shell's screens; then the screens of every
// collection of the list, in list order) and destroys them in reverse order.
namespace Screens {

void createAll();
void destroyAll();

} // namespace Screens
