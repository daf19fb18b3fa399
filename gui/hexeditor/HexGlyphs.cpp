#include "gui/hexeditor/HexGlyphs.h"

#include "gui/hexeditor/HexLayout.h"

#include <QFontMetricsF>
#include <QString>

#include <cmath>

namespace orvane {

HexGlyphs::HexGlyphs(const QFont& font) : raw(QRawFont::fromFont(font))
{
    QString shown(256, QChar());
    for (int b = 0; b < 256; ++b)
        shown[b] = QChar(HexLayout::ShownCharacter(static_cast<std::uint8_t>(b)));
    const QList<quint32> bytes = raw.glyphIndexesForString(shown);
    const QList<quint32> digits = raw.glyphIndexesForString(QStringLiteral("0123456789ABCDEF:"));
    for (int i = 0; i < 256 && i < bytes.size(); ++i)
        byteGlyph[i] = bytes[i];
    for (int i = 0; i < 16 && i < digits.size(); ++i)
        digitGlyph[i] = digits[i];
    colonGlyph = digits.size() > 16 ? digits[16] : 0;

    const QFontMetricsF metrics(font);
    advance = static_cast<int>(std::ceil(metrics.horizontalAdvance(QLatin1Char('0'))));
    height = static_cast<int>(std::ceil(metrics.height()));
    ascent = static_cast<int>(std::round(metrics.ascent()));
}

} // namespace orvane
