#include "Code128.h"

#include <zint.h>

#include <cmath>
#include <memory>

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

Code128 Code128::encode(const QString& text, QString* error)
{
    Code128 code;
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return Code128{};
    };
    if (text.isEmpty())
        return fail(QStringLiteral("codice vuoto"));
    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        return fail(QStringLiteral("memoria esaurita"));
    symbol->symbology = BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0; // the human-readable code is printed by the label itself
    symbol->whitespace_width = 0;
    symbol->border_width = 0;
    const QByteArray utf8 = text.toUtf8();
    const int rc = ZBarcode_Encode_and_Buffer_Vector(
        symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()), 0);
    if (rc >= ZINT_ERROR || !symbol->vector || symbol->width <= 0)
        return fail(QString::fromLatin1(symbol->errtxt));
    // The vector's rectangles are in its own units; one module is the
    // symbol's width in them over its width in modules.
    const double unit = double(symbol->vector->width) / symbol->width;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        const int start = int(std::lround(r->x / unit));
        const int width = int(std::lround(r->width / unit));
        if (width > 0)
            code.bars.append({start, width});
    }
    code.modules = symbol->width;
    return code;
}
