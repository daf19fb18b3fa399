// The bytes the hex editor holds, a change mark per byte and the undo stack. Free of widgets;
// every position is checked, so no edit reads or writes past the end.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvane {

class HexBuffer {
public:
    // Replaces the whole content; marks and undo stack start empty.
    void Load(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    int Size() const { return static_cast<int>(bytes_.size()); }
    std::uint8_t At(int pos) const { return bytes_[pos]; }
    bool Marked(int pos) const { return marks_[pos] != 0; }

    // Each edit is one undo step and marks the bytes it writes. Positions past the end are
    // clipped; an edit that changes nothing leaves no step. They return the bytes affected.
    int Overwrite(int pos, std::span<const std::uint8_t> bytes);
    int Insert(int pos, std::span<const std::uint8_t> bytes);
    int Erase(int pos, int count);

    void ClearMarks();
    void ClearUndo() { undo_.clear(); }
    bool CanUndo() const { return !undo_.empty(); }
    // "No Undo" when the stack is empty.
    std::string UndoDescription() const;
    // Reverts the last step, marks included; returns its position, or -1 when there was none.
    int Undo();

private:
    enum class StepKind { Overwrite, Insert, Erase };
    struct Step {
        StepKind kind;
        int pos;
        std::vector<std::uint8_t> bytes; // what was there before (Overwrite, Erase)
        std::vector<std::uint8_t> marks; // their marks before
        int count;                       // bytes inserted (Insert)
    };
    Step Saved(StepKind kind, int pos, int count) const;

    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> marks_; // one per byte, non-zero for a changed byte
    std::vector<Step> undo_;
};

} // namespace orvane
