// THexEditor: the main window's view of the program image, a custom-painted scroll area that
// paints only the rows in view. The image stays the master: the editor holds a copy that the
// operator types over, and the main window copies chosen bytes back ("确认键入").
//
// Public API, for the main window:
//   Content   SetBytes(bytes) replaces everything (no undo step, marks and undo cleared);
//             Bytes() is what the editor really holds (its size changes in insert mode);
//             AsHex()/SetAsHex(text) read and write it as hexadecimal text;
//             WriteBuffer(bytes, pos) overwrites from pos as one undoable change (clipped).
//   State     Modified()/SetModified(false) (clears undo stack and change marks) and the
//             signal ModifiedChanged(bool), which the EDIT menu follows; Undo(), CanUndo(),
//             UndoDescription() ("No Undo" when empty); IsChanged(pos); InsertMode().
//   Caret     Row()/SetRow(), Col()/SetCol() (grid columns: 2..33 nibbles, 35..50 characters),
//             TopRow()/SetTopRow(), all clamped to the grid; CaretPosition(), the signal
//             CaretMoved(pos); setFocus() as for any widget. RowTextRect/RowTextOffsetAt place
//             the caret row's text for assistive technology (HexAccessible.h).
//   Keys      arrows, Page Up/Down, Home/End (Ctrl: whole content; Shift selects); Insert
//             toggles insert mode; Backspace, Delete; Ctrl+Delete deletes the selection;
//             Ctrl+Z undoes; Tab crosses from the nibbles to the characters.
//   Find      FindNext(pattern) selects the next match from the caret (wrapping once) and
//             scrolls it into view; Select(first, last) selects bytes, the caret on the first.
//   Files     SaveToFile(path) writes the whole content as raw bytes, throws FileError; it
//             leaves the modified state and the marks alone (the image still lacks the bytes).
//   Looks     Colors(): TColors, the main window's colours.
// RefreshHexView (RefreshHexView.h) loads the image and clears the typed changes.
#pragma once

#include "gui/hexeditor/HexBuffer.h"
#include "gui/hexeditor/HexGlyphs.h"
#include "gui/hexeditor/HexLayout.h"

#include <QAbstractScrollArea>
#include <QColor>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// Invalid colours stand for the palette's: the window (base) colour, the text colour.
struct TColors {
    QColor Background;
    QColor PositionBackground{0x80, 0x00, 0x00}; // maroon: the caret cell
    QColor PositionText{Qt::white};
    QColor ChangedBackground{Qt::yellow};
    QColor ChangedText{0x80, 0x00, 0x00};
    QColor CursorFrame{0x00, 0xFF, 0x00}; // lime: the caret's counterpart cell
    QColor Offset;
    QColor OddColumn{0x80, 0x00, 0x80}; // purple
    QColor EvenColumn{0x80, 0x00, 0x80};
};

class THexEditor : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit THexEditor(QWidget* parent = nullptr);

    void SetBytes(std::span<const std::uint8_t> bytes);
    std::span<const std::uint8_t> Bytes() const { return buffer_.Bytes(); }
    int DataSize() const { return buffer_.Size(); }
    std::string AsHex() const;
    // Two digits per byte, high nibble first, either case; other characters are skipped and an
    // odd last digit is dropped.
    void SetAsHex(std::string_view text);
    void WriteBuffer(std::span<const std::uint8_t> bytes, int pos);

    bool Modified() const { return modified_; }
    void SetModified(bool modified);
    bool IsChanged(int pos) const;
    bool CanUndo() const { return buffer_.CanUndo(); }
    std::string UndoDescription() const { return buffer_.UndoDescription(); }
    void Undo();
    bool InsertMode() const { return insertMode_; }

    int Row() const;
    void SetRow(int row);
    int Col() const;
    void SetCol(int col);
    int TopRow() const;
    void SetTopRow(int row);
    // In insert mode the caret may also stand after the last byte, to append.
    int RowCount() const { return HexLayout::RowCount(DataSize() + (insertMode_ ? 1 : 0)); }
    int VisibleRowCount() const;
    int RowHeight() const { return glyphs_.height; } // pixels
    int CaretPosition() const { return pos_; }
    bool CaretInCharacters() const { return inChars_; }
    bool CaretOnLowNibble() const { return lowNibble_; }
    // First and last byte of the selection, or {-1, -1} when none is made.
    std::pair<int, int> Selection() const;
    void Select(int first, int last);
    // From the caret, or one past the first byte of the selection so that the match in view is
    // passed over; false when pattern is nowhere.
    bool FindNext(std::span<const std::uint8_t> pattern);
    // The caret row's text (HexLayout::RowText) on screen, in viewport coordinates: the cell of
    // its character at offset, and the offset drawn at point (-1 off that row).
    QRect RowTextRect(int offset) const;
    int RowTextOffsetAt(const QPoint& point) const;

    void SaveToFile(const std::string& path) const;

    // All 51 columns and 16 rows, beside the vertical scroll bar.
    QSize sizeHint() const override;

    const TColors& Colors() const { return colors_; }

signals:
    void ModifiedChanged(bool modified);
    void CaretMoved(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    static int DigitValue(char32_t c); // -1 for a character that is no hexadecimal digit
    bool MoveKey(QKeyEvent* event);
    bool EditKey(QKeyEvent* event);
    void StepLeft(bool extendSelection);
    void TypeNibble(int value);
    void TypeCharacter(std::uint8_t byte);
    void DeleteSelection();
    void DeleteAt(int pos);
    void MoveCaret(int pos, bool lowNibble, bool extendSelection);
    void SetCaretFromPoint(const QPoint& point, bool extendSelection);
    void ToggleInsertMode();
    void Edited();
    void SetModifiedFlag(bool modified);
    void UpdateMetrics();
    void UpdateScrollBars();
    void EnsureCaretVisible();
    void CaretChanged();
    int RowAtY(int y) const;
    int LastPosition() const { return insertMode_ ? DataSize() : std::max(DataSize() - 1, 0); }

    HexBuffer buffer_;
    TColors colors_;
    HexGlyphs glyphs_;
    HexLayout layout_{8};
    bool modified_ = false;
    bool insertMode_ = false;
    int pos_ = 0;          // byte under the caret
    bool lowNibble_ = false;
    bool inChars_ = false; // caret in the character columns
    int anchor_ = -1;      // other end of the selection, -1 when none
};

} // namespace orvane
