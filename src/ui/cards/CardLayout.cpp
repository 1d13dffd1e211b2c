#include "CardLayout.h"

#include "core/collections/Collection.h"
#include "core/storage/RecordLayout.h"
#include "core/text/Text.h"
#include "core/text/ResourceText.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

using F = CardForm;

constexpr int kBarTop = 6, kBarHeight = 51, kCommandHeight = 39;
constexpr int kSectionsTop = 66, kSectionGap = 10, kSectionX = 8, kSectionWidth = 979;
// Captions above fields: the caption's height and the gap under a field.
constexpr int kAboveCaption = 18, kAboveGap = 10;

const QString kAttachmentSlots[] = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03")};

// Row tops of the CaptionAbove placement: each row is as high as its
// tallest field, with its captions above.
std::vector<int> aboveRowTops(std::span<const F::Field> fields, int* sectionHeight)
{
    int rows = 0;
    for (const F::Field& f : fields)
        rows = std::max(rows, f.row);
    std::vector<int> heights(static_cast<std::size_t>(rows) + 1, F::kFieldHeight);
    for (const F::Field& f : fields)
        heights[static_cast<std::size_t>(f.row)] = std::max(
            heights[static_cast<std::size_t>(f.row)], f.height ? f.height : F::kFieldHeight);
    std::vector<int> tops(heights.size(), 0);
    int y = F::kFirstRow;
    for (int r = 1; r <= rows; ++r) {
        tops[static_cast<std::size_t>(r)] = y + kAboveCaption;
        y += kAboveCaption + heights[static_cast<std::size_t>(r)] + kAboveGap;
    }
    *sectionHeight = y + F::kFirstRow - kAboveGap;
    return tops;
}

} // namespace

CardLayout::CardLayout(QWidget* panel, const CardForm& form)
    : m_panel(panel)
    , m_form(form)
{
    // Every field of the form is a field of the record: a misspelt name
    // would silently never be stored.
    for (const F::Field& f : form.fields) {
        if (!form.collection->layout->find(f.control.substr(3)))
            qFatal("%s: %s is no field of the record", form.objectName.data(), f.control.data());
    }
    buildCommandBar();
    buildSections();

    info = new QLabel(QStringLiteral("Pronto per archiviare una nuova scheda..."), m_panel);
    info->setObjectName(QStringLiteral("panInfo"));
    info->setGeometry(8, 660, 979, 26);
    info->setIndent(10);
    info->setStyleSheet(QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2E74C9, stop:1 #1F4E8C);"
                                       " color: white; font-weight: bold; border-radius: 4px;"));

    buildHiddenControls();
    for (const F::Field& f : form.fields) {
        QWidget* field = control(f.control);
        if (f.capacity > 0)
            capacities.emplace_back(field, f.capacity);
        if (f.kind != F::Kind::Memo)
            oneLine.push_back(field);
    }
    buildEnterRing();
    for (const F::Hint& h : form.hints) {
        if (QWidget* w = control(h.control))
            fieldHints.emplace_back(w, Text::utf8(h.text));
    }
}

QWidget* CardLayout::control(std::string_view name) const
{
    return m_panel->findChild<QWidget*>(Text::utf8(name));
}

void CardLayout::buildCommandBar()
{
    std::vector<QFrame*> groups;
    for (const F::Group& g : m_form.groups) {
        auto* f = new QFrame(m_panel);
        f->setGeometry(g.x, kBarTop, g.width, kBarHeight);
        f->setStyleSheet(QStringLiteral("QFrame { background: white; border: 1px solid #C9D7E6; border-radius: 6px; }"));
        f->setObjectName(QStringLiteral("shpControlli%1").arg(groups.size() + 1, 2, 10, QLatin1Char('0')));
        blankAreas.push_back(f);
        groups.push_back(f);
    }
    for (const F::Command& c : m_form.commands) {
        QWidget* group = groups.at(static_cast<std::size_t>(c.group - 1));
        const QRect at(c.x, kBarTop, c.width, kCommandHeight);
        if (c.action == F::Action::Position) {
            position = new QLabel(group);
            position->setObjectName(QStringLiteral("lblPosizione"));
            position->setGeometry(at);
            position->setAlignment(Qt::AlignCenter);
            position->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 11pt; color: #1F4E8C; border: none;"));
            continue;
        }
        auto* p = new Picture(Text::utf8(c.control), Text::utf8(c.picture), group, at, true);
        hints.emplace_back(p, Text::utf8(c.hint));
        commands.emplace_back(p, &c);
    }
}

void CardLayout::buildSections()
{
    int aboveHeight = 0;
    const std::vector<int> aboveTops = m_form.placement == F::Placement::CaptionAbove ? aboveRowTops(m_form.fields, &aboveHeight)
                                                                                      : std::vector<int>();

    int top = kSectionsTop;
    for (const F::Section& section : m_form.sections) {
        const int height = m_form.placement == F::Placement::CaptionAbove ? aboveHeight : section.rows * F::kRowHeight + 20;
        auto* f = new QFrame(m_panel);
        f->setObjectName(Text::utf8(section.name));
        f->setGeometry(kSectionX, top, kSectionWidth, height);
        f->setStyleSheet(QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #DCEBF8, stop:1 #EEF5FC);"
                                        " border: 1px solid #A8CAE5; border-radius: 8px; }")
                             .arg(f->objectName()));
        blankAreas.push_back(f);
        if (!section.picture.empty())
            blankAreas.push_back(
                new Picture(QStringLiteral("ico") + f->objectName().mid(3), Text::utf8(section.picture), f, {10, 10, 48, 48}, false));
        sections.push_back(f);
        top += height + kSectionGap;
    }

    for (const F::Field& field : m_form.fields) {
        QWidget* section = sections.at(static_cast<std::size_t>(field.section - 1));
        const int y = m_form.placement == F::Placement::CaptionAbove ? aboveTops.at(static_cast<std::size_t>(field.row))
                                                                     : F::rowY(field.row);
        addField(m_form, section, field, y);
    }
    for (const F::Button& b : m_form.buttons) {
        QWidget* section = sections.at(static_cast<std::size_t>(b.section - 1));
        const int y = F::rowY(b.row) + (F::kFieldHeight - b.size.height()) / 2;
        auto* p = new Picture(Text::utf8(b.control), Text::utf8(b.picture), section, QRect(QPoint(b.x, y), b.size), true);
        hints.emplace_back(p, Text::utf8(b.hint));
    }
    if (m_form.cancelled.section > 0)
        addCancelledPatch(sections.at(static_cast<std::size_t>(m_form.cancelled.section - 1)), F::rowY(m_form.cancelled.row));
}

QWidget* CardLayout::addField(const CardForm& form, QWidget* section, const CardForm::Field& field, int y)
{
    const int height = field.height ? field.height : F::kFieldHeight;
    QRect at;
    QRect captionAt;
    Qt::Alignment captionAlign = Qt::AlignRight | Qt::AlignVCenter;
    if (form.placement == F::Placement::CaptionAbove) {
        at = {field.x, y, field.width, height};
        captionAt = {field.x, y - kAboveCaption, field.width, kAboveCaption - 2};
        captionAlign = Qt::AlignLeft | Qt::AlignBottom;
    } else {
        switch (field.column) {
        case F::Left:
            at = {F::kLeftField, y, field.width ? field.width : F::kLeftWidth, height};
            captionAt = {F::kLeftCaption, y, F::kCaptionWidth, F::kFieldHeight};
            break;
        case F::Full:
            at = {F::kLeftField, y, field.width ? field.width : F::kFullWidth, height};
            captionAt = {F::kLeftCaption, y, F::kCaptionWidth, F::kFieldHeight};
            break;
        case F::Right:
            at = {F::kRightField, y, field.width ? field.width : F::kRightWidth, height};
            captionAt = {F::kRightCaption, y, F::kCaptionWidth, F::kFieldHeight};
            break;
        case F::At:
            // Inside a row, after another field: a short caption just before it.
            at = {field.x, y, field.width, height};
            captionAt = {field.x - 62, y, 58, F::kFieldHeight};
            break;
        }
    }
    auto* caption = new QLabel(form.collection->fieldCaption(field.control.substr(3)), section);
    caption->setGeometry(captionAt);
    caption->setAlignment(captionAlign);
    caption->setStyleSheet(QStringLiteral("color: #23303F;"));

    QWidget* w = nullptr;
    switch (field.kind) {
    case F::Kind::Combo: {
        auto* c = new QComboBox(section);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->addItems(ResourceText::lines(QStringLiteral(":/lists/%1.txt").arg(Text::utf8(field.list))));
        c->setMaxVisibleItems(20);
        c->setCurrentIndex(-1);
        // Leaving the field takes the list's entry only when it matches
        // exactly: a stored "inglese" stays as it is, not "Inglese". Only
        // a pick from the list, or its completion of what is typed, puts
        // the entry's own spelling in.
        if (QCompleter* completer = c->completer())
            completer->setCaseSensitivity(Qt::CaseSensitive);
        w = c;
        break;
    }
    case F::Kind::Memo: {
        auto* m = new QPlainTextEdit(section);
        m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m->setTabChangesFocus(true);
        w = m;
        break;
    }
    case F::Kind::Edit: {
        auto* e = new QLineEdit(section);
        if (field.centred)
            e->setAlignment(Qt::AlignCenter);
        w = e;
        break;
    }
    }
    w->setObjectName(Text::utf8(field.control));
    w->setGeometry(at);
    if (field.crimson)
        w->setStyleSheet(QStringLiteral("color: #DC143C;"));
    return w;
}

void CardLayout::addCancelledPatch(QWidget* section, int y)
{
    auto* patch = new QFrame(section);
    patch->setGeometry(m_form.cancelled.x, y - 3, 134, 28);
    patch->setStyleSheet(QStringLiteral("background: white; border: 1px solid #C9D7E6; border-radius: 4px;"));
    blankAreas.push_back(patch);
    new Picture(QStringLiteral("icoAnnullata"), QStringLiteral("ico_annullata"), patch, {6, 4, 20, 20}, false);
    auto* chk = new QCheckBox(QStringLiteral("Annullata"), patch);
    chk->setObjectName(QStringLiteral("chkAnnullata"));
    chk->setGeometry(32, 3, 98, 22);
    hints.emplace_back(chk, Text::utf8(m_form.cancelled.hint));
}

void CardLayout::buildHiddenControls()
{
    auto hidden = [this](const QString& objectName, const QString& designText) {
        auto* l = new QLabel(designText, m_panel);
        l->setObjectName(objectName);
        l->hide();
    };
    if (m_form.collection->layout->find("Convalida")) {
        auto* convalida = new QLineEdit(QStringLiteral("No"), m_panel);
        convalida->setObjectName(QStringLiteral("txtConvalida"));
        convalida->setGeometry(0, 0, 40, 22);
        convalida->hide();
    }
    for (const QString& slot : kAttachmentSlots) {
        if (!m_form.collection->layout->find(QStringLiteral("File%1").arg(slot).toStdString()))
            continue;
        hidden(QStringLiteral("lblFile") + slot, QStringLiteral("File") + slot);
        hidden(QStringLiteral("lblDesc") + slot, QStringLiteral("Desc") + slot);
    }
}

void CardLayout::buildEnterRing()
{
    // The ring follows the tab order; a memo keeps Enter for its new lines,
    // so the ring stops there.
    std::vector<QWidget*> order;
    for (const F::Field& f : m_form.fields)
        order.push_back(control(f.control));
    std::vector<std::pair<QWidget*, QWidget*>> links;
    for (std::size_t i = 0; i < order.size(); ++i) {
        QWidget* w = order[i];
        QWidget::setTabOrder(i == 0 ? w : order[i - 1], w);
        if (m_form.fields[i].kind != F::Kind::Memo)
            links.emplace_back(w, order[(i + 1) % order.size()]);
    }
    enterChain = std::move(links);
}
