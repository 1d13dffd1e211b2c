#pragma once

// Creates the 23 start-up screens once, in registry order (the login screen
// first, so it becomes the main window), and destroys them in reverse order.
namespace Screens {

void createAll();
void destroyAll();

} // namespace Screens
