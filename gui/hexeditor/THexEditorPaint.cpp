// Painting of THexEditor: only the rows in view, glyphs gathered per colour and drawn as one
// glyph run each, so that a repaint costs little more than filling the view.
#include "gui/hexeditor/THexEditor.h"

#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <vector>

namespace orvane {

namespace {

class GlyphBatch {
public:
    void Add(const QColor& color, quint32 glyph, qreal x, qreal baseline)
    {
        Run& run = RunOf(color);
        run.glyphs.push_back(glyph);
        run.positions.push_back({x, baseline});
    }

    void Draw(QPainter& painter, const QRawFont& font) const
    {
        for (const Run& run : runs_) {
            QGlyphRun glyphs;
            glyphs.setRawFont(font);
            glyphs.setGlyphIndexes(run.glyphs);
            glyphs.setPositions(run.positions);
            painter.setPen(run.color);
            painter.drawGlyphRun({0, 0}, glyphs);
        }
    }

private:
    struct Run {
        QColor color;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };

    Run& RunOf(const QColor& color)
    {
        for (Run& run : runs_)
            if (run.color == color)
                return run;
        runs_.push_back({color, {}, {}});
        return runs_.back();
    }

    std::vector<Run> runs_; // a handful of colours
};

} // namespace

void THexEditor::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPalette& pal = palette();
    const QColor background = colors_.Background.isValid() ? colors_.Background
                                                           : pal.color(QPalette::Base);
    const QColor offsetText = colors_.Offset.isValid() ? colors_.Offset
                                                       : pal.color(QPalette::Text);
    painter.fillRect(event->rect(), background);

    const int dx = -horizontalScrollBar()->value();
    const int u = layout_.CharWidth();
    const int h = glyphs_.height;
    const int top = TopRow();
    const int firstRow = top + event->rect().top() / h;
    const int lastRow = std::min(RowCount() - 1, top + event->rect().bottom() / h);
    const auto [selFirst, selLast] = Selection();
    const bool fullCaret = !insertMode_; // the caret turns into a line in insert mode
    GlyphBatch batch;
    QRect counterpart;

    // One cell: its background, its glyph, and the caret line of insert mode.
    auto cell = [&](int col, int y, quint32 glyph, bool caret, const QColor& text,
                    const QColor& fill) {
        const QRect rect(dx + layout_.ColumnX(col), y, u, h);
        QColor pen = text;
        if (caret && fullCaret) {
            painter.fillRect(rect, colors_.PositionBackground);
            pen = colors_.PositionText;
        } else if (fill.isValid()) {
            painter.fillRect(rect, fill);
        }
        if (caret && !fullCaret)
            painter.fillRect(rect.x(), rect.y(), 2, h, colors_.PositionBackground);
        batch.Add(pen, glyph, rect.x(), y + glyphs_.ascent);
    };

    for (int row = firstRow; row <= lastRow; ++row) {
        const int y = (row - top) * h;
        const int base = row * kBytesPerLine;
        const int baseline = y + glyphs_.ascent;
        const int digits = HexLayout::OffsetDigits(base);
        for (int d = 0; d < digits; ++d)
            batch.Add(offsetText, glyphs_.digitGlyph[(base >> (4 * (digits - 1 - d))) & 0xF],
                      dx + d * u, baseline);
        batch.Add(offsetText, glyphs_.colonGlyph, dx + digits * u, baseline);
        if (row == Row()) // the marker column points at the caret's row
            painter.fillRect(dx + layout_.ColumnX(1) + u / 4, y + h / 4, u / 2, h / 2,
                             offsetText);

        for (int i = 0; i < kBytesPerLine && base + i < DataSize(); ++i) {
            const int pos = base + i;
            const std::uint8_t byte = buffer_.At(pos);
            const bool selected = pos >= selFirst && pos <= selLast && selFirst >= 0;
            const bool changed = buffer_.Marked(pos);
            QColor text = i % 2 == 0 ? colors_.OddColumn : colors_.EvenColumn; // counted from 1
            QColor fill;
            if (selected) {
                text = pal.color(QPalette::HighlightedText);
                fill = pal.color(QPalette::Highlight);
            } else if (changed) {
                text = colors_.ChangedText;
                fill = colors_.ChangedBackground;
            }
            const bool caretByte = pos == pos_;
            const int high = HexLayout::HighNibbleCol(i);
            cell(high, y, glyphs_.digitGlyph[byte >> 4],
                 caretByte && !inChars_ && !lowNibble_, text, fill);
            cell(high + 1, y, glyphs_.digitGlyph[byte & 0x0F],
                 caretByte && !inChars_ && lowNibble_, text, fill);
            cell(HexLayout::CharCol(i), y, glyphs_.byteGlyph[byte], caretByte && inChars_,
                 text, fill);
            if (caretByte)
                counterpart = inChars_ ? QRect(dx + layout_.ColumnX(high), y, 2 * u, h)
                                       : QRect(dx + layout_.ColumnX(HexLayout::CharCol(i)),
                                               y, u, h);
        }
        if (pos_ == DataSize() && Row() == row) { // insert mode's append position
            const int inRow = pos_ % kBytesPerLine;
            const int col = inChars_ ? HexLayout::CharCol(inRow) : HexLayout::HighNibbleCol(inRow);
            painter.fillRect(dx + layout_.ColumnX(col), y, 2, h, colors_.PositionBackground);
        }
    }
    batch.Draw(painter, glyphs_.raw);
    if (counterpart.isValid()) {
        painter.setPen(colors_.CursorFrame);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(counterpart.adjusted(0, 0, -1, -1));
    }
}

} // namespace orvane
