#pragma once

#include <QColor>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QString>

#include <utility>
#include <vector>

class QLabel;
struct RecordLayout;

// The base of every screen. It carries the screen conventions: the two
// window kinds, the info line with its hints, the focus highlight
// rectangles, the Enter-key chain, the typing limits taken from the record
// slots, and the hand-over between full screens.
class TForm : public QDialog {
    Q_OBJECT
public:
    enum class Kind {
        FullScreen, // resizable, opens maximised, content panel kept centred
        Dialog,     // fixed size, no title-bar buttons, left by its own commands
    };

    // The content panel of a full screen is designed for this size.
    static constexpr QSize kFullPanelSize{995, 692};

    TForm(QWidget* owner, Kind kind, const QString& caption, QSize clientSize = {});
    ~TForm() override;

    Kind kind() const { return m_kind; }

    // The panel that holds the content, kept centred in the window.
    QWidget* panContainer() const { return m_panel; }

    // Shows this full screen (maximised) or dialog.
    void showScreen();
    // Shows `next` first, then hides this screen.
    void handOver(TForm* next);
    // Shows this dialog modally, centred on the screen or over its owner.
    int execModal(bool centreOverOwner = false);

    // The caller tag: the hidden label `lblMemory` that an opener sets to say
    // who opened the screen ("libri", "dvd", "bibliografie", ...).
    void setCallerTag(const QString& tag);
    QString callerTag() const; // trimmed

    // The caller tag under which this screen is a collection's card screen
    // ("libri", "dvd", "bibliografie"); empty for every other screen.
    virtual QString cardTag() const { return {}; }

    // A notice about what happened to the data (characters not kept, a
    // code already in use, a text too long): it stays on the info line
    // until the user's next key or click in this screen, and no hint
    // replaces it meanwhile. A second notice before then is added to it.
    void showNotice(const QString& notice);
    // Takes away `notice` if the info line still shows it alone.
    void clearNotice(const QString& notice);

    // A child control by its name; nullptr when there is none.
    template <class T = QWidget> T* control(const QString& name) const { return findChild<T*>(name); }

protected:
    // Sets the panel size of a dialog (the window is sized to `clientSize`).
    void setPanelSize(QSize size);
    void setBackgroundGradient(const QColor& top, const QColor& bottom);

    // Info line: a hint per command, and the areas that empty it.
    void setInfoLine(QLabel* panInfo);
    void setHint(QWidget* control, const QString& hint);
    void setBlankArea(QWidget* area);

    // Creates the yellow rectangle `effX` behind every visible input `txtX`.
    void createFocusHighlights();
    // The same rectangle, `eff` + the button's name, behind every push
    // button, shown while the button has the focus; made when first shown.
    void createButtonHighlights();
    // Enter in `from` moves the focus to `to` (the key press goes on as usual).
    void setEnterChain(const std::vector<std::pair<QWidget*, QWidget*>>& chain);
    // Every `txtField` gets the capacity of the slot `Field` as its typing limit.
    void applyCapacities(const RecordLayout& layout);
    // One field's typing limit (an edit, or a combo box's edit part).
    static void applyCapacity(QWidget* field, int capacity);

    virtual void formShow() { }
    virtual void formClose() { }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void centrePanel();
    void releaseNotice();
    void updateHighlights(QWidget* now);

    Kind m_kind;
    QWidget* m_panel = nullptr;
    QColor m_top, m_bottom;
    QPointer<QLabel> m_info;
    QHash<QObject*, QString> m_hints;
    bool m_noticeHeld = false;
    QHash<QObject*, QWidget*> m_enterNext;
    std::vector<std::pair<QWidget*, QWidget*>> m_highlights; // field, rectangle
};
