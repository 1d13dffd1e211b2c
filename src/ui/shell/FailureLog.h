#pragma once

#include <QLoggingCategory>

// Failures a screen spares the user (a search that closes without a
// message, a quick find that leaves the selection) are still written to the
// log, under "tomaria.screens", so that a maintainer sees them.
Q_DECLARE_LOGGING_CATEGORY(lcScreens)

namespace FailureLog {

// Inside a catch block: logs the exception being handled, with `where`.
void spared(const char* where);

} // namespace FailureLog
