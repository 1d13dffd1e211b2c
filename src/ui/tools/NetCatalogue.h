#pragma once

#include <QString>

// The web catalogue of the running program: one server at a time, in a
// thread of its own so the screens never wait on a reader's request, over
// the program folder's catalogue. Stopped when the program ends.
namespace NetCatalogue {

// Starts the server on `address` (the loopback address, or "0.0.0.0" for
// the library's network) and `port`; false with `error` set (Italian).
bool start(const QString& address, quint16 port, QString& error);
void stop();
bool running();
// The address readers type ("http://192.168.1.10:8080/"), empty when stopped.
QString url();
QString logPath();

} // namespace NetCatalogue
