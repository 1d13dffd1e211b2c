#include "ReportFonts.h"

#include <QImage>

namespace ReportFonts {

void ensureSubstitutes()
{
    // The same stand-ins the program installs at start-up; inserting one
    // that is already there changes nothing.
    static const bool done = [] {
        QFont::insertSubstitutions(QStringLiteral("Verdana"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
        QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
        return true;
    }();
    Q_UNUSED(done);
}

QFontMetricsF metrics(const QFont& font)
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMetre = qRound(96.0 / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return QFontMetricsF(font, &device);
}

} // namespace ReportFonts
