#include "TextFit.h"

namespace TextFit {

Fitted fit(const QString& text, double width, double largest, double smallest, const Measure& measure)
{
    constexpr double kStep = 0.5;
    for (double size = largest; size >= smallest - 1e-9; size -= kStep) {
        if (measure(text, size) <= width)
            return {text, size, false};
    }
    // The longest start of the text that fits with the ellipsis; surrogate
    // pairs are never split. Nothing at all when even "…" is too wide.
    qsizetype lo = 0;
    qsizetype hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (measure(text.left(mid) + kEllipsis, smallest) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0 && text.at(lo - 1).isHighSurrogate())
        --lo;
    QString cut = text.left(lo).trimmed() + kEllipsis;
    if (measure(cut, smallest) > width)
        cut.clear();
    return {cut, smallest, true};
}

} // namespace TextFit
