#include "gui/hexeditor/THexEditor.h"

#include "foundation/AtomicFile.h"
#include "gui/hexeditor/HexAccessible.h"
#include "image/BytePattern.h"
#include "image/RomImage.h"

#include <QEvent>
#include <QFontDatabase>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace orvane {

int THexEditor::DigitValue(char32_t c)
{
    const char digit = static_cast<char>(c);
    return c < 0x80 && IsHexText({&digit, 1}) ? HexDigitValue(digit) : -1;
}

THexEditor::THexEditor(QWidget* parent) : QAbstractScrollArea(parent)
{
    InstallHexEditorAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(13);
    setFont(fixed);
    UpdateMetrics();
}

void THexEditor::SetBytes(std::span<const std::uint8_t> bytes)
{
    buffer_.Load(bytes);
    pos_ = std::min(pos_, LastPosition());
    lowNibble_ = lowNibble_ && pos_ < DataSize();
    anchor_ = -1;
    UpdateScrollBars();
    viewport()->update();
    SetModifiedFlag(false);
    CaretChanged();
}

std::string THexEditor::AsHex() const
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(Bytes().size() * 2, '0');
    for (std::size_t i = 0; i < Bytes().size(); ++i) {
        text[2 * i] = kDigits[Bytes()[i] >> 4];
        text[2 * i + 1] = kDigits[Bytes()[i] & 0x0F];
    }
    return text;
}

void THexEditor::SetAsHex(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    int high = -1;
    for (const char c : text) {
        const int digit = DigitValue(static_cast<unsigned char>(c));
        if (digit < 0)
            continue;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    SetBytes(bytes);
}

void THexEditor::WriteBuffer(std::span<const std::uint8_t> bytes, int pos)
{
    if (buffer_.Overwrite(pos, bytes) == 0)
        return;
    SetModifiedFlag(true);
    viewport()->update();
    CaretChanged();
}

void THexEditor::SetModified(bool modified)
{
    if (!modified) {
        buffer_.ClearUndo();
        buffer_.ClearMarks();
        viewport()->update();
    }
    SetModifiedFlag(modified);
}

bool THexEditor::IsChanged(int pos) const
{
    return pos >= 0 && pos < DataSize() && buffer_.Marked(pos);
}

void THexEditor::Undo()
{
    const int pos = buffer_.Undo();
    if (pos < 0)
        return;
    SetModifiedFlag(buffer_.CanUndo());
    UpdateScrollBars();
    MoveCaret(pos, false, false);
}

int THexEditor::Row() const
{
    return pos_ / kBytesPerLine;
}

void THexEditor::SetRow(int row)
{
    row = HexLayout::ClampRow(row, RowCount());
    MoveCaret(row * kBytesPerLine + pos_ % kBytesPerLine, lowNibble_, false);
}

int THexEditor::Col() const
{
    const int inRow = pos_ % kBytesPerLine;
    return inChars_ ? HexLayout::CharCol(inRow)
                    : HexLayout::HighNibbleCol(inRow) + (lowNibble_ ? 1 : 0);
}

void THexEditor::SetCol(int col)
{
    // The offset and marker columns lead to the first nibble, the spacer to the first character.
    col = std::clamp(col, HexLayout::HighNibbleCol(0), HexLayout::kColCount - 1);
    if (col == HexLayout::kSpacerCol)
        col = HexLayout::kFirstCharCol;
    const GridCell cell = HexLayout::CellAt(col);
    inChars_ = cell.kind == CellKind::Character;
    MoveCaret(Row() * kBytesPerLine + cell.byteInRow, cell.kind == CellKind::LowNibble, false);
}

int THexEditor::TopRow() const
{
    return verticalScrollBar()->value();
}

void THexEditor::SetTopRow(int row)
{
    verticalScrollBar()->setValue(HexLayout::ClampTopRow(row, RowCount(), VisibleRowCount()));
}

int THexEditor::VisibleRowCount() const
{
    return HexLayout::VisibleRows(viewport()->height(), glyphs_.height);
}

std::pair<int, int> THexEditor::Selection() const
{
    if (anchor_ < 0 || DataSize() == 0)
        return {-1, -1};
    return {std::min(anchor_, pos_), std::max(anchor_, pos_)};
}

void THexEditor::Select(int first, int last)
{
    MoveCaret(last, false, false);
    MoveCaret(first, false, true);
}

bool THexEditor::FindNext(std::span<const std::uint8_t> pattern)
{
    const int from = anchor_ >= 0 ? Selection().first + 1 : pos_;
    const auto hit = FindPattern(Bytes(), pattern, static_cast<std::size_t>(from));
    if (!hit)
        return false;
    const int first = static_cast<int>(*hit);
    Select(first, first + static_cast<int>(pattern.size()) - 1);
    return true;
}

QRect THexEditor::RowTextRect(int offset) const
{
    const int row = Row();
    const int col = HexLayout::ColumnAtTextOffset(row, offset);
    const int u = layout_.CharWidth();
    const int x = layout_.ColumnX(col) + (offset - HexLayout::TextOffset(row, col)) * u;
    return {x - horizontalScrollBar()->value(), (row - TopRow()) * glyphs_.height, u,
            glyphs_.height};
}

int THexEditor::RowTextOffsetAt(const QPoint& point) const
{
    const int row = Row();
    const int x = point.x() + horizontalScrollBar()->value();
    const int col = layout_.ColumnAt(x);
    if (RowAtY(point.y()) != row || col < 0)
        return -1;
    return HexLayout::TextOffset(row, col) + (x - layout_.ColumnX(col)) / layout_.CharWidth();
}

void THexEditor::SaveToFile(const std::string& path) const
{
    const auto bytes = Bytes();
    WriteFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

constexpr int kHintRows = 16;

QSize THexEditor::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return {layout_.TotalWidth() + verticalScrollBar()->sizeHint().width() + frame,
            glyphs_.height * kHintRows + frame};
}

void THexEditor::Edited()
{
    SetModifiedFlag(true);
    UpdateScrollBars();
    MoveCaret(pos_, lowNibble_, false);
}

void THexEditor::MoveCaret(int pos, bool lowNibble, bool extendSelection)
{
    if (extendSelection && anchor_ < 0)
        anchor_ = pos_;
    else if (!extendSelection)
        anchor_ = -1;
    pos_ = std::clamp(pos, 0, LastPosition());
    lowNibble_ = lowNibble && !inChars_ && pos_ < DataSize();
    EnsureCaretVisible();
    viewport()->update();
    CaretChanged();
}

void THexEditor::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void THexEditor::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateMetrics();
}

void THexEditor::UpdateMetrics()
{
    glyphs_ = HexGlyphs(font());
    layout_ = HexLayout(glyphs_.advance);
    UpdateScrollBars();
    viewport()->update();
}

void THexEditor::UpdateScrollBars()
{
    const int visible = VisibleRowCount();
    verticalScrollBar()->setRange(0, std::max(RowCount() - visible, 0));
    verticalScrollBar()->setPageStep(visible);
    const int width = viewport()->width();
    horizontalScrollBar()->setRange(0, std::max(layout_.TotalWidth() - width, 0));
    horizontalScrollBar()->setPageStep(width);
    horizontalScrollBar()->setSingleStep(layout_.CharWidth());
}

void THexEditor::EnsureCaretVisible()
{
    const int row = Row();
    const int visible = VisibleRowCount();
    if (row < TopRow())
        SetTopRow(row);
    else if (row >= TopRow() + visible)
        SetTopRow(row - visible + 1);

    const int x = layout_.ColumnX(Col());
    const int right = x + layout_.ColumnWidth(Col());
    QScrollBar* bar = horizontalScrollBar();
    if (x < bar->value())
        bar->setValue(x);
    else if (right > bar->value() + viewport()->width())
        bar->setValue(right - viewport()->width());
}

void THexEditor::SetModifiedFlag(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit ModifiedChanged(modified);
}

void THexEditor::CaretChanged()
{
    emit CaretMoved(pos_);
    NotifyHexEditorCaret(this);
}

} // namespace orvane
