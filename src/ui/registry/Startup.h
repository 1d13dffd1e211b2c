#pragma once

class QApplication;

// What the process does before and after the screens exist.
namespace Startup {

// Before the application object: software rendering only.
void beforeApplication();

// Italian dialogs, the program's fonts (with metric-compatible stand-ins
// where Verdana, Arial or Courier New are missing), the display name.
void configure(QApplication& app);

} // namespace Startup
