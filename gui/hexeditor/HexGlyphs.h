// The glyphs the hex editor paints, looked up once per font so that a repaint places glyphs
// without shaping any text.
#pragma once

#include <QFont>
#include <QRawFont>

#include <array>

namespace orvane {

struct HexGlyphs {
    HexGlyphs() = default;
    explicit HexGlyphs(const QFont& font);

    QRawFont raw;
    std::array<quint32, 256> byteGlyph{}; // the character column's glyph of each byte value
    std::array<quint32, 16> digitGlyph{};
    quint32 colonGlyph = 0;
    int advance = 8; // width of one character cell
    int height = 16; // height of one row
    int ascent = 12;
};

} // namespace orvane
