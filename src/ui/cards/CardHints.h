#pragma once

class CardScreen;

// Advice on a card screen's info line that keeps codes sound: after a save,
// that other cards of the archive have the same code (and where); on
// leaving the ISBN field, that its check digit is wrong. It never stops a
// save and never replaces a message box.
namespace CardHints {

// Watches `screen` when its collection has labels; otherwise does nothing.
void attach(CardScreen* screen);

} // namespace CardHints
