#include "Controls.h"

#include <QComboBox>
#include <QFrame>
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

QWidget* menuPanel(QWidget* pan)
{
    auto* sfondo = new QFrame(pan);
    sfondo->setObjectName(QStringLiteral("shpSfondo"));
    sfondo->setGeometry(0, 0, 995, 692);
    sfondo->setStyleSheet(QStringLiteral(
        "#shpSfondo { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #EEF4FB);"
        " border: 1px solid #9DB9DA; border-radius: 14px; }"));
    return sfondo;
}

QLabel* menuStrip(QWidget* parent, const QString& name, const QString& text, QRect at)
{
    auto* strip = new QLabel(text, parent);
    strip->setObjectName(name);
    strip->setGeometry(at);
    strip->setAlignment(Qt::AlignCenter);
    strip->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1F4E8C, stop:0.5 #2E74C9, stop:1 #1F4E8C);"
        " color: white; font-size: 10pt; font-style: italic; border-radius: 6px;"));
    return strip;
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
