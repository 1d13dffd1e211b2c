#pragma once

#include <QString>

// The folder that holds the executable and everything the program stores:
// archives, attachments, the password file and the exports. Tests and the
// command line point it elsewhere.
class ProgramFolder {
public:
    // With its trailing separator.
    static QString path();
    static QString file(const QString& name) { return path() + name; }
    static void setPath(const QString& folder); // empty: back to the executable's folder
};
