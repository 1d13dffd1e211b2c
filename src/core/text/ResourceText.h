#pragma once

#include <QString>
#include <QStringList>

// Text files embedded in the program (lists, tables, help texts), UTF-8.
namespace ResourceText {
QString read(const QString& path);
QStringList lines(const QString& path); // without the empty last line
} // namespace ResourceText
