#pragma once

#include "core/labels/LabelCards.h"
#include "core/labels/LabelSheet.h"

#include <QList>
#include <QString>
#include <QStringList>

// Whether the barcode labels of a sheet will scan, and how the bars are
// laid out on a label (the label pages draw them by the same measures).
// A label does not scan when Code 128 cannot carry its code (no bars at
// all), when its code holds a letter outside ASCII (carried by Code 128's
// extended characters, which many scanners read as another letter), or
// when its narrowest bar is thinner than a common scanner reads.
namespace LabelScan {

// Blank kept inside a label's edges, at most.
inline constexpr double kInsetMm = 1.5;
// The quiet zone on each side of the bars, in modules.
inline constexpr int kQuietModules = 10;
// The narrowest bar is as wide as the label allows, up to kWidestModuleMm;
// below kNarrowestModuleMm a common scanner no longer reads it.
inline constexpr double kWidestModuleMm = 0.5;
inline constexpr double kNarrowestModuleMm = 0.19;

// The blank kept inside a label of `width` x `height` mm.
double insetMm(double width, double height);
// The narrowest bar's width, in mm, for a symbol of `modules` on bars
// `barsWidth` mm wide.
double moduleMm(int modules, double barsWidth);

// A label that would not scan, and what would help.
struct Problem {
    qint64 position = 0; // the card's, 1-based
    QString code;
    QString reason;
    QString help;

    // "posizione 4, codice "LIB€-09": ...; ...", as the screen and the
    // command line list it.
    QString line() const;
};

// Every label of `cards` that would not scan on `sheet`, in card order.
QList<Problem> check(const QList<LabelCard>& cards, const LabelSheet& sheet);

// The list's heading with its count: "1 etichetta non sarà letta ...".
QString heading(qsizetype problems);

} // namespace LabelScan
