#include "CardHints.h"

#include "core/collections/CodeHints.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/Controls.h"

#include <QEvent>
#include <QLabel>

namespace {

// Looks at the ISBN field when the focus leaves it.
class IsbnWatch : public QObject {
public:
    IsbnWatch(CardScreen* screen, QWidget* field)
        : QObject(field)
        , m_screen(screen)
        , m_field(field)
    {
        field->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_field && event->type() == QEvent::FocusOut) {
            const QString hint = CodeHints::isbnHint(Controls::text(m_field));
            if (!hint.isEmpty())
                m_screen->panInfo()->setText(hint);
        }
        return false;
    }

private:
    CardScreen* m_screen;
    QWidget* m_field;
};

} // namespace

namespace CardHints {

void attach(CardScreen* screen)
{
    if (!Collection::labelled(screen->collection()))
        return;
    const FieldRoles* fields = &screen->collection().roles;
    if (!fields->isbn.empty()) {
        if (auto* isbn = screen->findChild<QWidget*>(QStringLiteral("txt") + Text::latin1(fields->isbn)))
            new IsbnWatch(screen, isbn);
    }
    const QString codeField = QStringLiteral("txt") + Text::latin1(fields->code);
    QObject::connect(screen, &CardScreen::cardSaved, screen, [screen, codeField] {
        const QWidget* code = screen->findChild<QWidget*>(codeField);
        if (!code)
            return;
        const QString text = Controls::text(code);
        const qint64 own = Text::trimmed(screen->lblPosizione()->text()).toLongLong();
        const QString hint
            = CodeHints::duplicateHint(text, CodeHints::sameCode(screen->collection(), screen->archivePath(), text, own));
        if (!hint.isEmpty())
            screen->panInfo()->setText(hint);
    });
}

} // namespace CardHints
