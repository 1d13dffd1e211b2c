#pragma once

#include <QList>
#include <QString>

// A Code 128 symbol as its bars, made by the zint library: positions and
// widths in modules (the narrowest bar's width), without quiet zones.
struct Code128 {
    struct Bar {
        int start = 0;
        int width = 0;
    };
    int modules = 0; // the symbol's whole width
    QList<Bar> bars;

    bool valid() const { return modules > 0; }

    // The symbol for `text`; invalid (and `error` says why) when the text is
    // empty or holds a character Code 128 cannot carry (outside Latin-1).
    static Code128 encode(const QString& text, QString* error = nullptr);
};
