#pragma once

#include <QRectF>
#include <QString>

#include <span>

// A sheet of labels on A4 paper: a grid of `columns` x `rows` labels of
// `width` x `height`, the first one at (`left`, `top`) from the paper's
// corner, the next ones `pitchX` and `pitchY` apart. Every length is in
// millimetres.
struct LabelSheet {
    QString key;  // "3x8", "65", ... ; "custom" for the user's own grid
    QString name; // shown in the list of sheets
    int columns = 3;
    int rows = 8;
    double left = 0;
    double top = 0;
    double pitchX = 70;
    double pitchY = 37;
    double width = 70;
    double height = 37;

    static constexpr double kPaperWidth = 210;
    static constexpr double kPaperHeight = 297;
    static inline const QString kCustomKey = QStringLiteral("custom");

    int perSheet() const { return columns * rows; }
    // Label `slot` (0-based, across then down) on its sheet.
    QRectF labelRect(int slot) const;
    // Empty when the grid fits on the paper and its labels do not overlap;
    // otherwise what is wrong, in a sentence.
    QString fault() const;

    // The common A4 sheets, in the order they are offered.
    static std::span<const LabelSheet> presets();
    // A preset by its key; nullptr for any other key (kCustomKey too: the
    // custom grid is LabelSettings::customSheet()).
    static const LabelSheet* find(const QString& key);
};

// Where the labels were last laid out, kept in the program folder's
// settings file "Tomaria.ini" (section "Etichette"): the custom grid, the
// sheet last chosen and the library name printed on barcode labels.
namespace LabelSettings {

// The stored custom grid; the 3x8 preset's measures when none (or no sound
// one) is stored.
LabelSheet customSheet();
// The sheet chosen last: a preset key or kCustomKey; "3x8" when none.
QString sheetKey();
QString libraryName();

// False when the settings file could not be written (or `sheet` is unsound).
bool save(const LabelSheet& custom, const QString& sheetKey, const QString& libraryName);

} // namespace LabelSettings
