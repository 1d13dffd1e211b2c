#include "CardBinder.h"

#include "core/collections/Collection.h"
#include "core/storage/Cp1252.h"
#include "core/storage/RecordLayout.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"

#include "core/storage/Record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace {

QWidget* controlFor(const QWidget* screen, std::string_view field)
{
    const QString name = Text::latin1(field);
    if (auto* w = screen->findChild<QWidget*>(QStringLiteral("txt") + name))
        return w;
    return screen->findChild<QWidget*>(QStringLiteral("lbl") + name);
}

constexpr std::string_view kCancelled = "Annullata";

} // namespace

void CardBinder::show(QWidget* screen, const Record& record, const Collection& collection)
{
    const QString no = Text::utf8(collection.no);
    for (const FieldDef& f : record.layout().fields) {
        if (f.name == kCancelled) {
            // Ticked unless the flag reads "No": the searches' rule, so an
            // odd flag ("", "si", "X") shows as the cancelled card it is.
            if (auto* chk = screen->findChild<QCheckBox*>(QStringLiteral("chkAnnullata")))
                chk->setChecked(Text::trimmed(record.text(f.name)) != no);
            continue;
        }
        if (QWidget* control = controlFor(screen, f.name)) {
            Controls::setText(control, record.text(f.name));
            // A value longer than its box shows its beginning.
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                edit->setCursorPosition(0);
            else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
                combo->lineEdit()->setCursorPosition(0);
        }
    }
}

CardBinder::Losses CardBinder::fill(const QWidget* screen, Record& record, const Collection& collection)
{
    Losses losses;
    record.clear();
    for (const FieldDef& f : record.layout().fields) {
        if (f.name == kCancelled) {
            const auto* chk = screen->findChild<const QCheckBox*>(QStringLiteral("chkAnnullata"));
            record.setText(f.name, Text::utf8(chk && chk->isChecked() ? collection.yes : collection.no));
            continue;
        }
        if (const QWidget* control = controlFor(screen, f.name)) {
            const QString value = Controls::text(control);
            record.setText(f.name, value);
            // Read back, the slot gives the value by its own rule (trimmed
            // or as it stands): anything else was lost on the way in.
            const QString expected = record.layout().kind == SlotKind::LengthByte ? Text::trimmed(value) : value;
            if (record.text(f.name) != expected) {
                if (Cp1252::canEncode(expected))
                    losses.cut = true;
                else
                    losses.replaced = true;
            }
        }
    }
    return losses;
}
