#include "CardBinder.h"

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
    const QString name = QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size()));
    if (auto* w = screen->findChild<QWidget*>(QStringLiteral("txt") + name))
        return w;
    return screen->findChild<QWidget*>(QStringLiteral("lbl") + name);
}

constexpr std::string_view kCancelled = "Annullata";

} // namespace

QString CardBinder::text(const QWidget* control)
{
    if (auto* e = qobject_cast<const QLineEdit*>(control))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(control))
        return c->currentText();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(control))
        return p->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(control))
        return t->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    return {};
}

void CardBinder::setText(QWidget* control, const QString& value)
{
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        e->setText(value);
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        c->setCurrentIndex(-1);
        c->setEditText(value);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(control)) {
        p->setPlainText(value);
    } else if (auto* t = qobject_cast<QTextEdit*>(control)) {
        t->setPlainText(value);
    } else if (auto* l = qobject_cast<QLabel*>(control)) {
        l->setText(value);
    }
}

void CardBinder::show(QWidget* screen, const Record& record)
{
    for (const FieldDef& f : record.layout().fields) {
        if (f.name == kCancelled) {
            if (auto* chk = screen->findChild<QCheckBox*>(QStringLiteral("chkAnnullata"))) {
                const QString flag = record.text(f.name);
                if (flag == kSi)
                    chk->setChecked(true);
                else if (flag == kNo)
                    chk->setChecked(false);
            }
            continue;
        }
        if (QWidget* control = controlFor(screen, f.name))
            setText(control, record.text(f.name));
    }
}

void CardBinder::fill(const QWidget* screen, Record& record)
{
    record.clear();
    for (const FieldDef& f : record.layout().fields) {
        if (f.name == kCancelled) {
            const auto* chk = screen->findChild<const QCheckBox*>(QStringLiteral("chkAnnullata"));
            record.setText(f.name, chk && chk->isChecked() ? kSi : kNo);
            continue;
        }
        if (const QWidget* control = controlFor(screen, f.name))
            record.setText(f.name, text(control));
    }
}
