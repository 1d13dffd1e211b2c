#pragma once

#include <QString>

#include <span>

class QWidget;

// One of the additions beside the catalogue screens, as the "Strumenti"
// list shows it: the name of its picture, its caption, the hint under it,
// its picture and how it opens over its owner.
struct Tool {
    QString name;
    QString caption;
    QString hint;
    QString icon;
    void (*open)(QWidget* owner);
};

namespace Tools {

// The one table of the additions, in the order the list shows them.
std::span<const Tool> all();

} // namespace Tools
