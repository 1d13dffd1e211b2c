#include "TForm.h"

#include "core/storage/RecordLayout.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

namespace {

const QString kHighlightStyle = QStringLiteral("QFrame { background: #FFF36B; border: 2px solid qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                               " stop:0 #F2C200, stop:1 #FFFFFF); border-radius: 3px; }");

} // namespace

TForm::TForm(QWidget* owner, Kind kind, const QString& caption, QSize clientSize)
    : QDialog(owner)
    , m_kind(kind)
{
    setWindowTitle(caption);
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("panContainer"));
    if (kind == Kind::FullScreen) {
        setWindowFlags(Qt::Window);
        setSizeGripEnabled(false);
        resize(1016, 713);
        setMinimumSize(400, 300);
        m_panel->resize(kFullPanelSize);
    } else {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        if (clientSize.isValid()) {
            setFixedSize(clientSize);
            m_panel->resize(clientSize);
        }
    }
    centrePanel();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { updateHighlights(now); });
}

TForm::~TForm()
{
    // Focus changes while the widgets are being torn down are no longer ours.
    disconnect(qApp, nullptr, this, nullptr);
    releaseNotice();
}

void TForm::setPanelSize(QSize size)
{
    m_panel->resize(size);
    centrePanel();
}

void TForm::setBackgroundGradient(const QColor& top, const QColor& bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void TForm::centrePanel()
{
    m_panel->move(std::max(0, (width() - m_panel->width()) / 2), std::max(0, (height() - m_panel->height()) / 2));
}

void TForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    centrePanel();
}

void TForm::paintEvent(QPaintEvent* event)
{
    if (m_top.isValid()) {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, m_top);
        g.setColorAt(1, m_bottom);
        p.fillRect(rect(), g);
    }
    QDialog::paintEvent(event);
}

void TForm::showScreen()
{
    if (m_kind == Kind::FullScreen)
        showMaximized();
    else
        show();
    activateWindow();
}

void TForm::handOver(TForm* next)
{
    next->showScreen();
    hide();
}

int TForm::execModal(bool centreOverOwner)
{
    QRect area;
    if (centreOverOwner && parentWidget())
        area = parentWidget()->window()->frameGeometry();
    else if (QScreen* s = screen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
    return exec();
}

void TForm::setCallerTag(const QString& tag)
{
    auto* label = findChild<QLabel*>(QStringLiteral("lblMemory"));
    if (!label) {
        label = new QLabel(m_panel);
        label->setObjectName(QStringLiteral("lblMemory"));
        label->hide();
    }
    label->setText(tag);
}

QString TForm::callerTag() const
{
    const auto* label = findChild<const QLabel*>(QStringLiteral("lblMemory"));
    return label ? Text::trimmed(label->text()) : QString();
}

void TForm::setInfoLine(QLabel* panInfo)
{
    m_info = panInfo;
}

void TForm::showNotice(const QString& notice)
{
    if (!m_info || notice.isEmpty())
        return;
    const QString shown = m_info->text();
    m_info->setText(
        m_noticeHeld && !shown.isEmpty() && shown != notice && !shown.contains(notice) ? shown + QStringLiteral("  ") + notice : notice);
    if (!m_noticeHeld) {
        m_noticeHeld = true;
        // The user's next action may reach any control of the screen.
        qApp->installEventFilter(this);
    }
}

void TForm::clearNotice(const QString& notice)
{
    if (m_info && m_info->text() == notice) {
        m_info->clear();
        releaseNotice();
    }
}

void TForm::releaseNotice()
{
    if (!m_noticeHeld)
        return;
    m_noticeHeld = false;
    qApp->removeEventFilter(this);
}

void TForm::setHint(QWidget* control, const QString& hint)
{
    m_hints.insert(control, hint);
    control->installEventFilter(this);
    // A move over a command must not reach the background behind it.
    if (!hint.isEmpty())
        control->setAttribute(Qt::WA_NoMousePropagation);
}

void TForm::setBlankArea(QWidget* area)
{
    setHint(area, QString());
    area->setMouseTracking(true);
}

void TForm::createFocusHighlights()
{
    const auto candidates = findChildren<QWidget*>();
    for (QWidget* field : candidates) {
        const QString name = field->objectName();
        if (!name.startsWith(QLatin1String("txt")) || field->isHidden() || !field->parentWidget())
            continue;
        if (!qobject_cast<QLineEdit*>(field) && !qobject_cast<QComboBox*>(field) && !qobject_cast<QPlainTextEdit*>(field)
            && !qobject_cast<QTextEdit*>(field))
            continue;
        if (qobject_cast<QLineEdit*>(field) && qobject_cast<QComboBox*>(field->parentWidget()))
            continue; // the edit part of a combo box
        // Moving over a field leaves the info line as it is.
        field->setAttribute(Qt::WA_NoMousePropagation);
        auto* frame = new QFrame(field->parentWidget());
        frame->setObjectName(QStringLiteral("eff") + name.mid(3));
        frame->setGeometry(field->geometry().adjusted(-4, -4, 4, 4));
        frame->setStyleSheet(kHighlightStyle);
        frame->stackUnder(field);
        frame->hide();
        m_highlights.emplace_back(field, frame);
    }
    updateHighlights(QApplication::focusWidget());
}

void TForm::createButtonHighlights()
{
    // A push button that has the focus takes Enter (keyPressEvent), so it
    // shows the focus as the fields do: the yellow frame behind it. The
    // style's own focus mark is drawn only after a Tab, not when a screen
    // moves the focus (Enter in a field that leads to its button).
    const auto buttons = findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (!button->parentWidget() || button->property("tomariaHighlight").isValid())
            continue;
        button->setProperty("tomariaHighlight", true);
        auto* frame = new QFrame(button->parentWidget());
        frame->setObjectName(QStringLiteral("eff") + button->objectName());
        frame->setGeometry(button->geometry().adjusted(-4, -4, 4, 4));
        frame->setStyleSheet(kHighlightStyle);
        frame->stackUnder(button);
        frame->hide();
        m_highlights.emplace_back(button, frame);
    }
    updateHighlights(QApplication::focusWidget());
}

void TForm::updateHighlights(QWidget* now)
{
    for (auto& [field, frame] : m_highlights)
        frame->setVisible(now && (now == field || field->isAncestorOf(now)));
}

void TForm::setEnterChain(const std::vector<std::pair<QWidget*, QWidget*>>& chain)
{
    for (const auto& [from, to] : chain) {
        m_enterNext.insert(from, to);
        from->installEventFilter(this);
        if (auto* combo = qobject_cast<QComboBox*>(from)) {
            combo->setInsertPolicy(QComboBox::NoInsert);
            if (combo->lineEdit()) {
                m_enterNext.insert(combo->lineEdit(), to);
                combo->lineEdit()->installEventFilter(this);
            }
        }
    }
}

void TForm::applyCapacities(const RecordLayout& layout)
{
    for (const FieldDef& f : layout.fields)
        applyCapacity(findChild<QWidget*>(QStringLiteral("txt") + Text::latin1(f.name)), f.capacity);
}

void TForm::applyCapacity(QWidget* field, int capacity)
{
    Controls::setTypingLimit(field, capacity);
}

bool TForm::eventFilter(QObject* watched, QEvent* event)
{
    if (m_noticeHeld) {
        // A key or click in this screen (not in a message box over it) is
        // the user's next action: the hints take the info line again.
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress) {
            if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() == this)
                releaseNotice();
        }
        if (m_noticeHeld && (type == QEvent::MouseMove || type == QEvent::Enter))
            return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseMove: {
        // A move over a child reaches its parents too: only the control
        // directly under the mouse decides, as input fields must leave the
        // info line alone and a command must keep its hint.
        auto* area = qobject_cast<QWidget*>(watched);
        if (area && area->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            break;
        if (m_info) {
            if (auto it = m_hints.constFind(watched); it != m_hints.constEnd())
                m_info->setText(*it);
        }
        break;
    }
    case QEvent::Enter:
        // A window that appears under the pointer gets an Enter too: only a
        // command's hint is shown on it, a blank area waits for a real move.
        if (m_info) {
            if (auto it = m_hints.constFind(watched); it != m_hints.constEnd() && !it->isEmpty())
                m_info->setText(*it);
        }
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (QWidget* next = m_enterNext.value(watched)) {
                next->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm::showEvent(QShowEvent* event)
{
    // Enter belongs to the Enter-key chains, never to a default button.
    const auto buttons = findChildren<QPushButton*>();
    for (QPushButton* b : buttons) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    createButtonHighlights();
    QDialog::showEvent(event);
    if (!event->spontaneous())
        formShow();
}

void TForm::closeEvent(QCloseEvent* event)
{
    formClose();
    QDialog::closeEvent(event);
}

void TForm::keyPressEvent(QKeyEvent* event)
{
    // Screens are left only through their own commands, never by Escape.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // No button is a default one (see showEvent), so a push button that has
    // the focus leaves Enter to its screen: the screen clicks it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            event->accept();
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}
