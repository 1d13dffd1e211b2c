#pragma once

#include <QString>

#include <vector>

// A QR Code symbol as its modules, made by the zint library (error
// correction level M), without the quiet zone: size x size, row by row.
struct QrCode {
    int size = 0;
    std::vector<bool> dark;

    bool valid() const { return size > 0; }
    bool at(int x, int y) const { return dark[static_cast<std::size_t>(y * size + x)]; }

    // The symbol for `text` (UTF-8); invalid (and `error` says why) when the
    // text is empty or too long for a symbol.
    static QrCode encode(const QString& text, QString* error = nullptr);
};
