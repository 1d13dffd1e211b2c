#pragma once

#include <QFile>
#include <QString>

// The web catalogue's log: one line per request and per dropped
// connection, plain UTF-8 text the user can open. It lives in the user's
// own data folder, never in the program folder, and keeps to a bounded
// size: past kMostBytes the file becomes "<name>.1" (replacing the older
// one) and a new one starts.
class CatalogueLog {
public:
    static constexpr qint64 kMostBytes = 4 << 20;

    // "catalogo-in-rete.log" in the user's data folder for Tomaria.
    static QString defaultPath();

    // Opens `path` to append, making its folder; false with `error` set.
    bool open(const QString& path, QString& error);
    QString path() const { return m_file.fileName(); }

    // A line stamped with the time (UTC); line ends in `text` become blanks.
    void write(const QString& text);

private:
    QFile m_file;
};
