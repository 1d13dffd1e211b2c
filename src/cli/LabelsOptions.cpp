#include "LabelsCommand.h"

// The labels' options, apart from their work: the command line reads them
// without loading the print plugin.
namespace LabelsCommand {

const std::vector<Option>& options()
{
    // clang-format off
    static const std::vector<Option> table{
        {"kind", "spine|barcode"},
        {"sheet", "FOGLIO"},
        {"start", "N"},
        {"from-code", "A"},
        {"to-code", "B"},
        {"shelf", "S"},
        {"since-position", "P"},
    };
    // clang-format on
    return table;
}

} // namespace LabelsCommand
