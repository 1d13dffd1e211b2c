#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The document opener: hands a file, folder, web address or mailto: address
// to the desktop. Never builds a shell command line.
class TMisc {
public:
    // Returns false when the desktop refused the target.
    static bool Open(const QString& target);

    // How a target becomes an address: enclosing double quotes are removed,
    // addresses with a scheme stay addresses, anything else is a local path.
    static QUrl toUrl(const QString& target);

    using Opener = std::function<bool(const QUrl&)>;
    static void setOpener(Opener opener); // empty: the desktop again
};
