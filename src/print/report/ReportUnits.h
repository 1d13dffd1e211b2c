#pragma once

#include <QtGlobal>

// Report positions and sizes are in units of 1/96 inch.
namespace ReportUnits {

inline constexpr qreal kPerInch = 96.0;
inline constexpr qreal kPerMm = kPerInch / 25.4; // about 3.7795
inline constexpr qreal kPerPoint = kPerInch / 72.0;

constexpr qreal mm(qreal millimetres)
{
    return millimetres * kPerMm;
}

// Comparisons of laid-out positions allow for the rounding of mm values.
inline constexpr qreal kEpsilon = 1e-6;

} // namespace ReportUnits
