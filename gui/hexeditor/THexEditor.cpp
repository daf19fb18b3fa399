#include "gui/hexeditor/THexEditor.h"

#include "foundation/AtomicFile.h"
#include "gui/hexeditor/HexAccessible.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace orvane {

namespace {

int HexValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    return -1;
}

} // namespace

THexEditor::THexEditor(QWidget* parent) : QAbstractScrollArea(parent)
{
    InstallHexEditorAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(13);
    setFont(fixed); // the FontChange event sets the metrics
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
        const int digit = HexValue(static_cast<unsigned char>(c));
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
    pos_ = std::clamp(pos, 0, LastPosition());
    lowNibble_ = false;
    anchor_ = -1;
    SetModifiedFlag(buffer_.CanUndo());
    UpdateScrollBars();
    EnsureCaretVisible();
    viewport()->update();
    CaretChanged();
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

void THexEditor::SaveToFile(const std::string& path) const
{
    const auto bytes = Bytes();
    WriteFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

void THexEditor::SetColors(const TColors& colors)
{
    colors_ = colors;
    viewport()->update();
}

void THexEditor::keyPressEvent(QKeyEvent* event)
{
    if (MoveKey(event) || EditKey(event))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

bool THexEditor::MoveKey(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int last = LastPosition();
    const int rowStart = pos_ - pos_ % kBytesPerLine;
    const int page = VisibleRowCount() * kBytesPerLine;
    switch (event->key()) {
    case Qt::Key_Left:
        StepLeft(shift);
        return true;
    case Qt::Key_Right:
        if (!inChars_ && !lowNibble_)
            MoveCaret(pos_, true, shift);
        else
            MoveCaret(std::min(pos_ + 1, last), lowNibble_ && pos_ == last, shift);
        return true;
    case Qt::Key_Up:
        MoveCaret(pos_ >= kBytesPerLine ? pos_ - kBytesPerLine : pos_, lowNibble_, shift);
        return true;
    case Qt::Key_Down:
        MoveCaret(Row() < RowCount() - 1 ? std::min(pos_ + kBytesPerLine, last) : pos_,
                  lowNibble_, shift);
        return true;
    case Qt::Key_PageUp:
        SetTopRow(TopRow() - VisibleRowCount());
        MoveCaret(pos_ >= page ? pos_ - page : pos_ % kBytesPerLine, lowNibble_, shift);
        return true;
    case Qt::Key_PageDown:
        SetTopRow(TopRow() + VisibleRowCount());
        MoveCaret(std::min(pos_ + page, last), lowNibble_, shift);
        return true;
    case Qt::Key_Home:
        MoveCaret(ctrl ? 0 : rowStart, false, shift);
        return true;
    case Qt::Key_End:
        MoveCaret(ctrl ? last : std::min(rowStart + kBytesPerLine - 1, last), false, shift);
        return true;
    default:
        return false;
    }
}

void THexEditor::StepLeft(bool extendSelection)
{
    if (!inChars_ && lowNibble_)
        MoveCaret(pos_, false, extendSelection);
    else
        MoveCaret(std::max(pos_ - 1, 0), !inChars_ && pos_ > 0, extendSelection);
}

bool THexEditor::EditKey(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->matches(QKeySequence::Undo)) {
        Undo();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        insertMode_ = !insertMode_;
        buffer_.ClearMarks();
        viewport()->update();
        CaretChanged();
        return true;
    case Qt::Key_Delete:
        if (ctrl || (insertMode_ && anchor_ >= 0))
            DeleteSelection();
        else if (insertMode_)
            DeleteAt(pos_);
        return true;
    case Qt::Key_Backspace:
        if (!insertMode_)
            StepLeft(false);
        else if (pos_ > 0)
            DeleteAt(pos_ - 1);
        return true;
    default:
        break;
    }
    const QString text = event->text();
    if (ctrl || (event->modifiers() & Qt::AltModifier) || text.size() != 1)
        return false;
    const char32_t c = text[0].unicode();
    if (!inChars_) {
        const int digit = HexValue(c);
        if (digit < 0)
            return false;
        TypeNibble(digit);
        return true;
    }
    if (c < 0x20 || c > 0xFF)
        return false;
    TypeCharacter(static_cast<std::uint8_t>(c));
    return true;
}

void THexEditor::TypeNibble(int value)
{
    if (insertMode_ && !lowNibble_) {
        const std::uint8_t byte = static_cast<std::uint8_t>(value << 4);
        if (buffer_.Insert(pos_, {&byte, 1}) == 0)
            return;
        lowNibble_ = true;
    } else {
        if (pos_ >= DataSize())
            return;
        const std::uint8_t old = buffer_.At(pos_);
        const std::uint8_t byte = static_cast<std::uint8_t>(
            lowNibble_ ? (old & 0xF0) | value : (value << 4) | (old & 0x0F));
        buffer_.Overwrite(pos_, {&byte, 1});
        if (!lowNibble_) {
            lowNibble_ = true;
        } else if (pos_ < LastPosition()) {
            ++pos_;
            lowNibble_ = false;
        }
    }
    Edited();
}

void THexEditor::TypeCharacter(std::uint8_t byte)
{
    const int done = insertMode_ ? buffer_.Insert(pos_, {&byte, 1})
                                 : buffer_.Overwrite(pos_, {&byte, 1});
    if (done == 0)
        return;
    pos_ = std::min(pos_ + 1, LastPosition());
    Edited();
}

void THexEditor::DeleteSelection()
{
    const auto [first, last] = Selection();
    if (first < 0)
        return;
    buffer_.Erase(first, last - first + 1);
    pos_ = first;
    Edited();
}

void THexEditor::DeleteAt(int pos)
{
    if (buffer_.Erase(pos, 1) == 0)
        return;
    pos_ = pos;
    Edited();
}

void THexEditor::Edited()
{
    anchor_ = -1;
    pos_ = std::clamp(pos_, 0, LastPosition());
    if (pos_ >= DataSize())
        lowNibble_ = false;
    SetModifiedFlag(true);
    UpdateScrollBars();
    EnsureCaretVisible();
    viewport()->update();
    CaretChanged();
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

int THexEditor::RowAtY(int y) const
{
    return TopRow() + (y < 0 ? -1 : y / glyphs_.height);
}

void THexEditor::SetCaretFromPoint(const QPoint& point, bool extendSelection)
{
    const int x = point.x() + horizontalScrollBar()->value();
    int col = layout_.ColumnAt(x);
    if (col < 0)
        col = x < 0 ? 0 : HexLayout::kColCount - 1;
    if (col == HexLayout::kSpacerCol)
        return;
    const GridCell cell = HexLayout::CellAt(std::max(col, HexLayout::HighNibbleCol(0)));
    const int row = HexLayout::ClampRow(RowAtY(point.y()), RowCount());
    inChars_ = cell.kind == CellKind::Character;
    MoveCaret(row * kBytesPerLine + cell.byteInRow, cell.kind == CellKind::LowNibble,
              extendSelection);
}

void THexEditor::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        SetCaretFromPoint(event->position().toPoint(),
                          event->modifiers() & Qt::ShiftModifier);
}

void THexEditor::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        SetCaretFromPoint(event->position().toPoint(), true);
}

bool THexEditor::focusNextPrevChild(bool next)
{
    // Tab crosses from the nibbles to the characters before it leaves the editor.
    if (next != inChars_) {
        inChars_ = next;
        lowNibble_ = false;
        viewport()->update();
        CaretChanged();
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
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
