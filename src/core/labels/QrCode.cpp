#include "QrCode.h"

#include <zint.h>

#include <memory>

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

QrCode QrCode::encode(const QString& text, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QrCode{};
    };
    if (text.isEmpty())
        return fail(QStringLiteral("testo vuoto"));
    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        return fail(QStringLiteral("memoria esaurita"));
    symbol->symbology = BARCODE_QRCODE;
    symbol->input_mode = UNICODE_MODE;
    symbol->option_1 = 2; // error correction M
    const QByteArray utf8 = text.toUtf8();
    const int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
    if (rc >= ZINT_ERROR || symbol->width <= 0 || symbol->rows != symbol->width)
        return fail(QString::fromLatin1(symbol->errtxt));
    QrCode code;
    code.size = symbol->width;
    code.dark.resize(static_cast<std::size_t>(code.size * code.size));
    // zint keeps a matrix symbol's modules as bits, eight to a byte, the
    // lowest bit first.
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x)
            code.dark[static_cast<std::size_t>(y * code.size + x)] = (symbol->encoded_data[y][x >> 3] >> (x & 7)) & 1;
    }
    return code;
}
