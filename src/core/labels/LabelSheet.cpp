#include "LabelSheet.h"

#include "core/access/IniFile.h"
#include "core/access/SettingsFile.h"
#include "core/storage/ProgramFolder.h"

#include <array>
#include <cmath>

namespace {

// Sheets whose labels fill the paper's height are centred on it; the
// 65-label sheet keeps its printed margins.
const std::array<LabelSheet, 5> kPresets{{
    {QStringLiteral("3x7"), QStringLiteral("3 x 7 (70 x 42,3 mm)"), 3, 7, 0, 0.45, 70, 42.3, 70, 42.3},
    {QStringLiteral("3x8"), QStringLiteral("3 x 8 (70 x 37 mm)"), 3, 8, 0, 0.5, 70, 37, 70, 37},
    {QStringLiteral("4x10"), QStringLiteral("4 x 10 (52,5 x 29,7 mm)"), 4, 10, 0, 0, 52.5, 29.7, 52.5, 29.7},
    {QStringLiteral("2x8"), QStringLiteral("2 x 8 (105 x 37 mm)"), 2, 8, 0, 0.5, 105, 37, 105, 37},
    {QStringLiteral("65"), QStringLiteral("65 per foglio (38,1 x 21,2 mm)"), 5, 13, 4.7, 10.7, 40.6, 21.2, 38.1, 21.2},
}};

const QString kSection = QStringLiteral("Etichette");
// Keys of the custom grid, in the order of LabelSheet's measures.
const QString kColumns = QStringLiteral("Colonne");
const QString kRows = QStringLiteral("Righe");
const QString kLeft = QStringLiteral("MargineSinistro");
const QString kTop = QStringLiteral("MargineSuperiore");
const QString kPitchX = QStringLiteral("PassoOrizzontale");
const QString kPitchY = QStringLiteral("PassoVerticale");
const QString kWidth = QStringLiteral("Larghezza");
const QString kHeight = QStringLiteral("Altezza");
const QString kSheet = QStringLiteral("Foglio");
const QString kLibrary = QStringLiteral("Biblioteca");

constexpr double kTolerance = 1e-6;

// Millimetres as written in the file: a point, whatever the locale.
QString number(double mm)
{
    return QString::number(mm, 'g', 10);
}

bool readNumber(const IniFile& ini, const QString& key, double& into)
{
    bool ok = false;
    const double v = ini.value(kSection, key).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    into = v;
    return true;
}

QString settingsPath()
{
    return SettingsFile::path();
}

LabelSheet customOf(const LabelSheet& measures)
{
    LabelSheet sheet = measures;
    sheet.key = LabelSheet::kCustomKey;
    sheet.name = QStringLiteral("Personalizzato");
    return sheet;
}

} // namespace

QRectF LabelSheet::labelRect(int slot) const
{
    const int column = slot % columns;
    const int row = slot / columns;
    return {left + column * pitchX, top + row * pitchY, width, height};
}

QString LabelSheet::fault() const
{
    if (columns < 1 || rows < 1 || columns > 20 || rows > 40)
        return QStringLiteral("Colonne e righe vanno da 1 a 20 e da 1 a 40.");
    if (width < 10 || height < 8)
        return QStringLiteral("Un'etichetta misura almeno 10 x 8 mm.");
    if (left < 0 || top < 0)
        return QStringLiteral("I margini non possono essere negativi.");
    if ((columns > 1 && pitchX + kTolerance < width) || (rows > 1 && pitchY + kTolerance < height))
        return QStringLiteral("Il passo non può essere minore della misura dell'etichetta: le etichette si sovrapporrebbero.");
    const QRectF last = labelRect(perSheet() - 1);
    if (last.right() > kPaperWidth + kTolerance || last.bottom() > kPaperHeight + kTolerance)
        return QStringLiteral("La griglia esce dal foglio A4 (210 x 297 mm).");
    return {};
}

std::span<const LabelSheet> LabelSheet::presets()
{
    return kPresets;
}

const LabelSheet* LabelSheet::find(const QString& key)
{
    for (const LabelSheet& s : kPresets) {
        if (s.key == key)
            return &s;
    }
    return nullptr;
}

namespace LabelSettings {

LabelSheet customSheet()
{
    const IniFile ini(settingsPath());
    LabelSheet sheet = customOf(kPresets[1]);
    LabelSheet stored = sheet;
    double columns = 0;
    double rows = 0;
    const bool complete = readNumber(ini, kColumns, columns) && readNumber(ini, kRows, rows) && readNumber(ini, kLeft, stored.left)
        && readNumber(ini, kTop, stored.top) && readNumber(ini, kPitchX, stored.pitchX) && readNumber(ini, kPitchY, stored.pitchY)
        && readNumber(ini, kWidth, stored.width) && readNumber(ini, kHeight, stored.height);
    if (!complete || columns != std::floor(columns) || rows != std::floor(rows) || std::abs(columns) > 1000 || std::abs(rows) > 1000)
        return sheet;
    stored.columns = int(columns);
    stored.rows = int(rows);
    // A hand-edited file with an impossible grid gives the default grid,
    // never labels off the paper.
    return stored.fault().isEmpty() ? stored : sheet;
}

QString sheetKey()
{
    const IniFile ini(settingsPath());
    const QString key = ini.value(kSection, kSheet);
    return key == LabelSheet::kCustomKey || LabelSheet::find(key) ? key : kPresets[1].key;
}

QString libraryName()
{
    return IniFile(settingsPath()).value(kSection, kLibrary);
}

bool save(const LabelSheet& custom, const QString& sheetKey, const QString& libraryName)
{
    if (!custom.fault().isEmpty())
        return false;
    IniFile ini(settingsPath());
    if (!ini.readable())
        return false;
    ini.setValue(kSection, kColumns, QString::number(custom.columns));
    ini.setValue(kSection, kRows, QString::number(custom.rows));
    ini.setValue(kSection, kLeft, number(custom.left));
    ini.setValue(kSection, kTop, number(custom.top));
    ini.setValue(kSection, kPitchX, number(custom.pitchX));
    ini.setValue(kSection, kPitchY, number(custom.pitchY));
    ini.setValue(kSection, kWidth, number(custom.width));
    ini.setValue(kSection, kHeight, number(custom.height));
    ini.setValue(kSection, kSheet, sheetKey);
    // One line in the file: a line break would start a new key.
    QString name = libraryName;
    name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    ini.setValue(kSection, kLibrary, name.trimmed());
    return ini.save();
}

} // namespace LabelSettings
