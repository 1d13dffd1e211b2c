#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// An ISBN as a catalogue is asked for it: the printed forms carry hyphens
// and blanks that no catalogue index keeps.
namespace Isbn {

// Hyphens and blanks removed, "x" written "X".
QString normalised(QStringView typed);

// True for 10 characters (9 digits and a digit or X) or 13 digits.
bool wellFormed(QStringView normalised);

// The forms to ask for: the normalised ISBN first, then its other length
// (ISBN-13 "978..." for an ISBN-10 and the other way round) when it has one.
// Empty when the text is not an ISBN.
QStringList forms(QStringView typed);

} // namespace Isbn
