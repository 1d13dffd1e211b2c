#include "FailureLog.h"

#include <exception>

Q_LOGGING_CATEGORY(lcScreens, "tomaria.screens")

namespace FailureLog {

void spared(const char* where)
{
    try {
        throw;
    } catch (const std::exception& e) {
        qCWarning(lcScreens, "%s: %s", where, e.what());
    } catch (...) {
        qCWarning(lcScreens, "%s: a failure that is no std::exception", where);
    }
}

} // namespace FailureLog
