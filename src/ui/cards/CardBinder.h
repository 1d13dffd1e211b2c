#pragma once

#include <QString>

class QWidget;
class Record;
struct Collection;

// Binds a card screen's controls to a record by name: the control `txtX`
// (or the hidden label `lblX`) holds field X, and `chkAnnullata` holds the
// cancelled flag. One binder serves showing a card, saving it and a
// search's hand-back, for every collection.
class CardBinder {
public:
    // Puts every field into its control. Length-byte fields arrive trimmed.
    // A cancelled flag other than the collection's yes ("Sì") or no ("No")
    // leaves the check box as it is.
    static void show(QWidget* screen, const Record& record, const Collection& collection);

    // What a record could not keep of the controls' texts.
    struct Losses {
        bool replaced = false; // characters Windows-1252 lacks, stored as "?"
        bool cut = false;      // a text longer than its slot
        bool any() const { return replaced || cut; }
    };

    // Fills the record from the controls (the record stores each value by
    // its slot's rule). The cancelled flag becomes the collection's yes or no.
    static Losses fill(const QWidget* screen, Record& record, const Collection& collection);
};
