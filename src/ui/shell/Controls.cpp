#include "Controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace Controls {

QFont verdana(qreal points, bool bold, bool italic)
{
    QFont f(QStringLiteral("Verdana"));
    if (points > 0)
        f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, QRect at, const QFont& font)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(at);
    b->setFont(font);
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    return b;
}

QString text(const QWidget* control)
{
    if (auto* e = qobject_cast<const QLineEdit*>(control))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(control))
        return c->currentText();
    // A memo's lines are joined by CR LF, as they are stored and exported.
    if (auto* p = qobject_cast<const QPlainTextEdit*>(control))
        return p->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (auto* t = qobject_cast<const QTextEdit*>(control))
        return t->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    return {};
}

void setText(QWidget* control, const QString& value)
{
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        e->setText(value);
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        c->setCurrentIndex(-1);
        c->setEditText(value);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(control)) {
        QString lines = value;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        p->setPlainText(lines);
    } else if (auto* t = qobject_cast<QTextEdit*>(control)) {
        t->setPlainText(value);
    } else if (auto* l = qobject_cast<QLabel*>(control)) {
        l->setText(value);
    }
}

} // namespace Controls
