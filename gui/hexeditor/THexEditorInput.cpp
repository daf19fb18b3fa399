// Keyboard and mouse of THexEditor: caret movement, typing over nibbles and characters, insert
// mode and deletions.
#include "gui/hexeditor/THexEditor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace orvane {

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
        ToggleInsertMode();
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
        const int digit = DigitValue(c);
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

void THexEditor::ToggleInsertMode()
{
    insertMode_ = !insertMode_;
    buffer_.ClearMarks();
    UpdateScrollBars();
    MoveCaret(pos_, lowNibble_, false); // off the append position when insert mode ends
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
    // A selection at the append position holds no byte: nothing changes, nothing is pending.
    if (first < 0 || buffer_.Erase(first, last - first + 1) == 0)
        return;
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
        MoveCaret(pos_, false, false);
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

} // namespace orvane
