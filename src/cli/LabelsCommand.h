#pragma once

#include "core/labels/LabelCards.h"
#include "print/labels/LabelReport.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class QTextStream;
struct Collection;
struct LabelSheet;

// tomaria-cli labels: the labels screen's work, written to a PDF file.
namespace LabelsCommand {

// The labels' own options, one row each: the name (without dashes) and the
// name of its value. They are the verb's filters: the command line adds
// them to its parser for `labels` only.
struct Option {
    const char* name;
    const char* value;
};
const std::vector<Option>& options();

// The options as given: each one's last value, and the names given that
// are none of options(), in the order given.
struct Given {
    QHash<QString, QString> values;
    QStringList unknown;
    bool withCancelled = false;
    QString out;
    bool force = false; // out may replace an existing file that is no PDF
};

// What `labels` was asked, read and checked.
struct Request {
    LabelReport::Kind kind = LabelReport::Kind::Spine;
    const LabelSheet* sheet = nullptr;
    int start = 1; // the label of the first sheet where printing begins
    LabelChoice choice;
    QString out; // a .pdf file that may be written
};

// Reads `given` into `request`; empty when good, otherwise the refusal.
QString read(const Given& given, Request& request);

// Returns the exit code: 0 written, 2 bad arguments or a file that cannot
// be read or written.
int run(const Collection& collection, const Given& given, QTextStream& stdOut, QTextStream& err);

} // namespace LabelsCommand
