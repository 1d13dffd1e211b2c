#pragma once

#include <QString>

#include <functional>

// Fits one line of text into a width: the largest size from `largest` down
// to `smallest` (in steps of half a point) at which it fits whole, else the
// smallest size with the text cut and ended with "…". The measure is given
// by the caller (it knows the font): the width of a text at a point size.
namespace TextFit {

using Measure = std::function<double(const QString& text, double pointSize)>;

struct Fitted {
    QString text;
    double pointSize = 0;
    bool cut = false;
};

inline const QString kEllipsis = QStringLiteral("\u2026");

Fitted fit(const QString& text, double width, double largest, double smallest, const Measure& measure);

} // namespace TextFit
