#include "gui/hexeditor/HexBuffer.h"

#include <algorithm>

namespace orvane {

void HexBuffer::Load(std::span<const std::uint8_t> bytes)
{
    bytes_.assign(bytes.begin(), bytes.end());
    marks_.assign(bytes_.size(), 0);
    undo_.clear();
}

HexBuffer::Step HexBuffer::Saved(StepKind kind, int pos, int count) const
{
    const auto from = static_cast<std::ptrdiff_t>(pos);
    return {kind, pos, {bytes_.begin() + from, bytes_.begin() + from + count},
            {marks_.begin() + from, marks_.begin() + from + count}, count};
}

int HexBuffer::Overwrite(int pos, std::span<const std::uint8_t> bytes)
{
    if (pos < 0 || pos >= Size())
        return 0;
    const int count = std::min(static_cast<int>(bytes.size()), Size() - pos);
    if (count == 0)
        return 0;
    undo_.push_back(Saved(StepKind::Overwrite, pos, count));
    std::copy_n(bytes.begin(), count, bytes_.begin() + pos);
    std::fill_n(marks_.begin() + pos, count, 1);
    return count;
}

int HexBuffer::Insert(int pos, std::span<const std::uint8_t> bytes)
{
    if (pos < 0 || pos > Size() || bytes.empty())
        return 0;
    const int count = static_cast<int>(bytes.size());
    bytes_.insert(bytes_.begin() + pos, bytes.begin(), bytes.end());
    marks_.insert(marks_.begin() + pos, bytes.size(), 1);
    undo_.push_back({StepKind::Insert, pos, {}, {}, count});
    return count;
}

int HexBuffer::Erase(int pos, int count)
{
    if (pos < 0 || pos >= Size())
        return 0;
    count = std::min(count, Size() - pos);
    if (count <= 0)
        return 0;
    undo_.push_back(Saved(StepKind::Erase, pos, count));
    bytes_.erase(bytes_.begin() + pos, bytes_.begin() + pos + count);
    marks_.erase(marks_.begin() + pos, marks_.begin() + pos + count);
    return count;
}

void HexBuffer::ClearMarks()
{
    std::fill(marks_.begin(), marks_.end(), 0);
}

std::string HexBuffer::UndoDescription() const
{
    if (undo_.empty())
        return "No Undo";
    switch (undo_.back().kind) {
    case StepKind::Overwrite: return "Undo change";
    case StepKind::Insert: return "Undo insertion";
    case StepKind::Erase: return "Undo deletion";
    }
    return {};
}

int HexBuffer::Undo()
{
    if (undo_.empty())
        return -1;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    const auto at = bytes_.begin() + step.pos;
    const auto markAt = marks_.begin() + step.pos;
    switch (step.kind) {
    case StepKind::Overwrite:
        std::copy(step.bytes.begin(), step.bytes.end(), at);
        std::copy(step.marks.begin(), step.marks.end(), markAt);
        break;
    case StepKind::Insert:
        bytes_.erase(at, at + step.count);
        marks_.erase(markAt, markAt + step.count);
        break;
    case StepKind::Erase:
        bytes_.insert(at, step.bytes.begin(), step.bytes.end());
        marks_.insert(markAt, step.marks.begin(), step.marks.end());
        break;
    }
    return step.pos;
}

} // namespace orvane
