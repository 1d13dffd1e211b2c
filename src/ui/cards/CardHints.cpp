#include "CardHints.h"

#include "core/collections/CodeHints.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/Controls.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>

namespace {

// Looks at the ISBN field when the focus leaves it.
class IsbnWatch : public QObject {
public:
    IsbnWatch(CardScreen* screen, QWidget* field)
        : QObject(field)
        , m_info(screen->panInfo())
        , m_field(field)
    {
        field->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The info line itself, not the screen: the focus also leaves the
        // field while the screen is being taken down.
        if (watched == m_field && event->type() == QEvent::FocusOut && m_info) {
            const QString hint = CodeHints::isbnHint(Controls::text(m_field));
            if (!hint.isEmpty())
                m_info->setText(hint);
        }
        return false;
    }

private:
    QPointer<QLabel> m_info;
    QWidget* m_field;
};

} // namespace

namespace CardHints {

void attach(CardScreen* screen)
{
    // A lent card without the date its rule needs: say what that means.
    const FieldRoles& roles = screen->collection().roles;
    if (const LoanRule* rule = screen->collection().loans;
        rule && !rule->undated.empty() && !roles.borrower.empty() && !roles.loanDate.empty()) {
        const QString borrowerField = QStringLiteral("txt") + Text::latin1(roles.borrower);
        const QString dateField = QStringLiteral("txt") + Text::latin1(roles.loanDate);
        QObject::connect(screen, &CardScreen::cardSaved, screen, [screen, rule, borrowerField, dateField] {
            const QWidget* borrower = screen->findChild<QWidget*>(borrowerField);
            const QWidget* date = screen->findChild<QWidget*>(dateField);
            if (!borrower || !date || Text::trimmed(Controls::text(borrower)).isEmpty() || !Text::trimmed(Controls::text(date)).isEmpty())
                return;
            screen->showNotice(QStringLiteral("Attenzione: la scheda indica un prestito a %1 ma non %2: %3.")
                                   .arg(Text::trimmed(Controls::text(borrower)), Text::utf8(rule->dateWords), Text::utf8(rule->undated)));
        });
    }
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
        const QString hint = CodeHints::duplicateHint(text, CodeHints::sameCode(screen->collection(), screen->archivePath(), text, own));
        if (!hint.isEmpty())
            screen->showNotice(hint);
    });
}

} // namespace CardHints
