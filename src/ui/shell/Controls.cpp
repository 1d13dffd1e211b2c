#include "Controls.h"

#include "ui/shell/Picture.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVariant>

#include <algorithm>

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

QFrame* panel(QWidget* parent, const QString& name, QRect at, int radius)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(at);
    f->setStyleSheet(QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #EEF4FB);"
                                    " border: 1px solid #9DB9DA; border-radius: %2px; }")
                         .arg(name)
                         .arg(radius));
    return f;
}

QFrame* menuPanel(QWidget* pan)
{
    return panel(pan, QStringLiteral("shpSfondo"), {0, 0, 995, 692}, 14);
}

void styleListPanel(QWidget* panel)
{
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setStyleSheet(QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FBFCFE, stop:1 #E4EDF7);"
                                        " border: 1px solid #8FB3D9; border-radius: 8px; }")
                             .arg(panel->objectName()));
}

QFrame* listBanner(QWidget* parent, int width)
{
    auto* banner = new QFrame(parent);
    banner->setObjectName(QStringLiteral("shpBanner"));
    banner->setGeometry(8, 8, width, 52);
    banner->setStyleSheet(QStringLiteral("#shpBanner { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 white, stop:1 #DCEBF8);"
                                         " border: 1px solid #C9D7E6; border-radius: 6px; }"));
    new Picture(QStringLiteral("icoBanner"), QStringLiteral("title"), banner, {10, 4, 256, 44}, false);
    return banner;
}

QLabel* menuStrip(QWidget* parent, const QString& name, const QString& text, QRect at)
{
    auto* strip = new QLabel(text, parent);
    strip->setObjectName(name);
    strip->setGeometry(at);
    strip->setAlignment(Qt::AlignCenter);
    strip->setStyleSheet(
        QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1F4E8C, stop:0.5 #2E74C9, stop:1 #1F4E8C);"
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

namespace {

// What a memo was last given, for telling its untouched text from an edit.
constexpr char kShownText[] = "tomariaShownText";
constexpr char kTypingLimit[] = "tomariaTypingLimit";
// The memo's text as it would be stored, kept in step with every edit:
// one entry a character or a line break in the form the text had.
constexpr char kUnits[] = "tomariaUnits";
constexpr char kTracked[] = "tomariaTracked";

QLineEdit* lineEditOf(QWidget* control)
{
    if (auto* e = qobject_cast<QLineEdit*>(control))
        return e;
    if (auto* c = qobject_cast<QComboBox*>(control))
        return c->lineEdit();
    return nullptr;
}

// The memo's lines joined by LF. The document's raw text keeps what its
// plain-text export would change (a non-breaking space becomes a blank
// there); only the block and line separators are read as line breaks.
QString memoLines(const QPlainTextEdit* memo)
{
    QString lines = memo->document()->toRawText();
    lines.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    return lines;
}

QString lfLines(const QString& value)
{
    QString lines = value;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

// The line break a stored text uses: CR LF, as the program writes, unless
// the text holds only lone LF or lone CR (as another program or an older
// card may store it).
QString breakOf(const QString& value)
{
    if (value.contains(QStringLiteral("\r\n")))
        return QStringLiteral("\r\n");
    if (value.contains(QLatin1Char('\n')))
        return QStringLiteral("\n");
    if (value.contains(QLatin1Char('\r')))
        return QStringLiteral("\r");
    return QStringLiteral("\r\n");
}

// The text split into characters and line breaks (CR LF, LF or CR, each
// as it stands).
QStringList unitsOf(const QString& value)
{
    QStringList units;
    units.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\r') && i + 1 < value.size() && value[i + 1] == QLatin1Char('\n')) {
            units << QStringLiteral("\r\n");
            ++i;
        } else {
            units << QString(value[i]);
        }
    }
    return units;
}

// Follows one change of the memo's document in its units. The document's
// own account of a change (position, characters removed and added) is not
// exact when a removal and a new block come in one step, so the change is
// found anew: the units before and after it, as the memo shows them, stay
// in their own form (the end looked at first, so a break typed next to a
// break leaves that one as it was); the characters between are the new
// ones, a line break in the break of the text as it was set.
void followEdit(QPlainTextEdit* memo)
{
    const QVariant held = memo->property(kUnits);
    if (!held.isValid())
        return;
    QStringList units = held.toStringList();
    const QString lines = memoLines(memo);
    const auto shown = [&](qsizetype unit) {
        const QString& u = units[unit];
        return u.size() == 1 && u[0] != QLatin1Char('\r') ? u[0] : QLatin1Char('\n');
    };
    qsizetype tail = 0;
    while (tail < units.size() && tail < lines.size() && shown(units.size() - 1 - tail) == lines[lines.size() - 1 - tail])
        ++tail;
    qsizetype head = 0;
    while (head < units.size() - tail && head < lines.size() - tail && shown(head) == lines[head])
        ++head;
    const QString brk = breakOf(memo->property(kShownText).toString());
    QStringList typed;
    for (const QChar ch : QStringView(lines).mid(head, lines.size() - tail - head))
        typed << (ch == QLatin1Char('\n') ? brk : QString(ch));
    units.erase(units.begin() + head, units.end() - tail);
    for (qsizetype i = 0; i < typed.size(); ++i)
        units.insert(head + i, typed[i]);
    // A lone CR brought next to a lone LF would be read back as one CR LF:
    // the CR takes the text's break, so that the memo's lines stay its lines.
    for (qsizetype i = 0; i + 1 < units.size(); ++i) {
        if (units[i] == QStringLiteral("\r") && units[i + 1].startsWith(QLatin1Char('\n')))
            units[i] = brk;
    }
    memo->setProperty(kUnits, units);
}

// Room for a value set by the program, above the typing limit when needed.
void fitLimit(QLineEdit* edit, qsizetype length)
{
    const QVariant limit = edit->property(kTypingLimit);
    if (limit.isValid())
        edit->setMaxLength(std::max(limit.toInt(), static_cast<int>(length)));
}

} // namespace

QString text(const QWidget* control)
{
    if (auto* e = qobject_cast<const QLineEdit*>(control))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(control))
        return c->currentText();
    // A memo's lines are joined by the break its text came with (CR LF for
    // a new text), so that an edit never lengthens a stored text by its
    // breaks alone.
    if (auto* p = qobject_cast<const QPlainTextEdit*>(control)) {
        const QString lines = memoLines(p);
        const QVariant shown = p->property(kShownText);
        if (shown.isValid() && lfLines(shown.toString()) == lines)
            return shown.toString();
        // Each break kept in its own form through the edits, a new one in
        // the text's form: an edit changes only the characters edited.
        const QString followed = p->property(kUnits).toStringList().join(QString());
        if (shown.isValid() && lfLines(followed) == lines)
            return followed;
        return QString(lines).replace(QLatin1Char('\n'), breakOf(shown.toString()));
    }
    if (auto* t = qobject_cast<const QTextEdit*>(control))
        return t->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    return {};
}

void setText(QWidget* control, const QString& value)
{
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        fitLimit(e, value.size());
        e->setText(value);
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        if (QLineEdit* edit = c->lineEdit())
            fitLimit(edit, value.size());
        c->setCurrentIndex(-1);
        c->setEditText(value);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(control)) {
        // Known before the document changes, so that a watcher of the
        // change can tell this text from the user's.
        p->setProperty(kShownText, value);
        p->setProperty(kUnits, QVariant());
        if (!p->property(kTracked).toBool()) {
            p->setProperty(kTracked, true);
            QObject::connect(p->document(), &QTextDocument::contentsChange, p, [p](int, int, int) { followEdit(p); });
        }
        p->setPlainText(lfLines(value));
        p->setProperty(kUnits, unitsOf(value));
    } else if (auto* t = qobject_cast<QTextEdit*>(control)) {
        t->setPlainText(value);
    } else if (auto* l = qobject_cast<QLabel*>(control)) {
        l->setText(value);
    }
}

bool showsTextAsSet(const QWidget* memo)
{
    auto* p = qobject_cast<const QPlainTextEdit*>(memo);
    if (!p)
        return false;
    const QVariant shown = p->property(kShownText);
    return shown.isValid() && lfLines(shown.toString()) == memoLines(p);
}

void setTypingLimit(QWidget* control, int limit)
{
    if (QLineEdit* edit = lineEditOf(control)) {
        edit->setProperty(kTypingLimit, limit);
        edit->setMaxLength(std::max(limit, static_cast<int>(edit->text().size())));
    }
}

void keepOnOneLine(QWidget* control)
{
    QLineEdit* edit = lineEditOf(control);
    if (!edit)
        return;
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& typed) {
        if (!typed.contains(QLatin1Char('\n')) && !typed.contains(QLatin1Char('\r')))
            return;
        const int cursor = edit->cursorPosition();
        const QString before = oneLine(typed.left(cursor));
        edit->setText(before + oneLine(typed.mid(cursor)));
        edit->setCursorPosition(static_cast<int>(before.size()));
    });
}

QString oneLine(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace Controls
