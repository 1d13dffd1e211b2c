#pragma once

#include <QString>

// The help topics, kept as text resources (resources/help/<name>.txt, one
// paragraph per block, blocks separated by an empty line).
namespace HelpText {
// The topic's text with its paragraphs joined by two CR LF pairs.
QString topic(const QString& name);
} // namespace HelpText
