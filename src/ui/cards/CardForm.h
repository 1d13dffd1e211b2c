#pragma once

#include <QRect>
#include <QSize>

#include <span>
#include <string_view>
#include <vector>

class QWidget;
class TForm;
struct Collection;

// A card screen described as data. CardScreen builds from it the command
// bar, the sections with their fields and captions, the hidden controls, the
// focus highlights, the Enter ring and the typing limits, and runs the
// commands. Texts are UTF-8 and shown as they stand; control names are the
// names other screens and the tests reach them by.
struct CardForm {
    // Geometry of the CaptionBeside placement: captions right-aligned before
    // 262-wide fields on the left and 276-wide fields on the right;
    // full-width fields are 672 wide. Rows are 32 apart.
    static constexpr int kLeftCaption = 116, kLeftField = 232, kRightCaption = 506, kRightField = 628;
    static constexpr int kCaptionWidth = 110, kLeftWidth = 262, kRightWidth = 276, kFullWidth = 672;
    static constexpr int kRowHeight = 32, kFieldHeight = 22, kFirstRow = 14;
    static constexpr int rowY(int row) { return kFirstRow + (row - 1) * kRowHeight; }

    // Where a field's caption stands: right-aligned before it in one of the
    // fixed columns (book and DVD cards), or above it at the field's own
    // place (article card).
    enum class Placement { CaptionBeside, CaptionAbove };

    enum class Kind {
        Edit,  // one line
        Combo, // editable, with a list of suggestions
        Memo,  // several lines, word wrap; Enter starts a new line
    };

    // Fixed columns of the CaptionBeside placement.
    enum Column { Left, Right, Full, At };

    // What a command of the bar does.
    enum class Action {
        New,
        Duplicate,
        Save,
        First,
        Previous,
        Next,
        Last,
        Attach, // the attachment screen, tagged with the collection
        Dialog, // a fresh dialog made by `dialog`, shown modally, destroyed after
        Help,
        Exit,
        Position, // not a command: where the position label stands
    };

    struct Group {
        int x;
        int width;
    };

    struct Command {
        int group;
        std::string_view control;
        std::string_view picture;
        int x; // inside its group
        int width;
        std::string_view hint;
        Action action;
        TForm* (*dialog)(QWidget* owner) = nullptr;
        bool tagged = false;    // the dialog gets the collection's caller tag
        bool overOwner = false; // centred over the card instead of the screen
    };

    struct Section {
        std::string_view name; // "shpSezione1"
        int rows;
        std::string_view picture;
    };

    struct Field {
        int section; // 1-based
        int row;     // 1-based
        Column column;
        std::string_view control; // "txtTitolo": its caption is the collection's caption of "Titolo"
        int width = 0;            // 0: the column's width
        int x = 0;                // for At, and for every CaptionAbove field
        Kind kind = Kind::Edit;
        std::string_view list = {}; // resource of a combo's suggestions
        int capacity = 0;           // typing limit; 0: the slot's capacity
        int height = 0;             // a memo's height; 0: one line
        bool crimson = false;       // the loan date's red text
        bool centred = false;       // text centred in the field
    };

    // A small picture button inside a section (web look-up, Dewey table,
    // today's date); the screen connects its own handler by name.
    struct Button {
        int section;
        int row;
        int x;
        std::string_view control;
        std::string_view picture;
        QSize size;
        std::string_view hint;
    };

    // A hint of a control that is not a command (fields that have one, the
    // cancelled flag).
    struct Hint {
        std::string_view control;
        std::string_view text;
    };

    // The web look-up: the query is `prefix` + the trimmed field.
    struct WebLookup {
        std::string_view field;  // "txtIsbn"
        std::string_view prefix; // "ISBN:"
        std::string_view emptyWarning;
    };

    // The white patch of the cancelled flag, right of a field in its row.
    struct CancelledPatch {
        int section;
        int row;
        int x;
        std::string_view hint;
    };

    const Collection* collection;
    std::string_view objectName;
    std::string_view caption;
    Placement placement;
    std::span<const Group> groups;
    std::vector<Command> commands;
    std::span<const Section> sections;
    std::span<const Field> fields; // in tab order, which is also the Enter ring
    std::span<const Button> buttons = {};
    std::span<const Hint> hints = {};
    WebLookup webLookup = {};
    CancelledPatch cancelled = {};
    std::span<const std::string_view> duplicateClears = {}; // empty: no Duplicate
    std::string_view duplicateFocus = {};
    bool plainSaveFailure = false; // the access message of Save in a plain box

    // The command bar of the book and DVD cards, with each collection's
    // dialogs and the two hints in which their wording differs.
    struct StandardDialogs {
        TForm* (*search)(QWidget*);
        TForm* (*available)(QWidget*);
        TForm* (*print)(QWidget*);
        TForm* (*exportScreen)(QWidget*);
        std::string_view newHint;
        std::string_view exportHint;
        std::string_view availableHint;
    };
    static std::span<const Group> standardGroups();
    static std::vector<Command> standardBar(const StandardDialogs& dialogs);

    // A dialog factory for the tables: `&CardForm::make<TfrmTrovaLibri>`.
    template <class T> static TForm* make(QWidget* owner) { return new T(owner); }
};
