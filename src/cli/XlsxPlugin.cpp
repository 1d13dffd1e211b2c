#include "VerbPlugins.h"

#include "core/export/CardXlsx.h"

// The .xlsx plugin, tomaria-xlsx: the complete export as a workbook, with
// libxlsxwriter.
extern "C" Q_DECL_EXPORT bool tomaria_save_xlsx(
    const Collection& collection, const QString& archivePath, const QString& path, CardCsv::Outcome* outcome)
{
    return CardXlsx::save(collection, archivePath, path, outcome);
}
