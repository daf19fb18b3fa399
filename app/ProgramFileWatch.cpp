#include "app/ProgramFileWatch.h"

#include "foundation/Errors.h"
#include "foundation/ReadFile.h"

#include <string_view>
#include <system_error>

namespace orvane {
namespace {

std::uint64_t Fnv1a(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3u;
    }
    return hash;
}

} // namespace

std::optional<ProgramFileWatch::Stamp> ProgramFileWatch::Look(const std::string& path,
                                                               const Stamp* known)
{
    std::error_code error;
    Stamp stamp;
    stamp.size = std::filesystem::file_size(path, error);
    if (!error)
        stamp.time = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    if (known && stamp.size == known->size && stamp.time == known->time)
        return *known;
    try {
        stamp.hash = Fnv1a(ReadWholeFile(path, kProgramFileLimit));
    } catch (const FileError&) {
        stamp.hash = 0; // unreadable or too large: the reload names the error
    }
    return stamp;
}

void ProgramFileWatch::Remember(const std::string& path, FileFormat format)
{
    file_ = File{path, format, Look(path, nullptr).value_or(Stamp{}), false};
}

void ProgramFileWatch::Saved(const std::string& path, FileFormat format)
{
    if (format != FileFormat::Bin)
        Remember(path, format);
    else if (file_ && file_->path == path)
        Forget();
}

ProgramFileWatch::Verdict ProgramFileWatch::Check(std::filesystem::file_time_type now)
{
    if (!file_)
        return Verdict::Unchanged;
    const auto seen = Look(file_->path, &file_->stamp);
    if (!seen) {
        const bool news = !file_->missing;
        file_->missing = true;
        return news ? Verdict::Vanished : Verdict::Unchanged;
    }
    file_->missing = false;
    if (*seen == file_->stamp)
        return Verdict::Unchanged;
    // A time in the future (another machine's clock) cannot be waited out: it counts as stable.
    if (seen->time <= now && now - seen->time < kStableFor) {
        lastWrite_ = seen->time;
        return Verdict::Settling;
    }
    if (seen->hash == file_->stamp.hash) {
        file_->stamp = *seen; // only touched
        return Verdict::Unchanged;
    }
    return Verdict::Changed;
}

void ProgramFileWatch::KeepCurrent()
{
    if (file_)
        file_->stamp = Look(file_->path, nullptr).value_or(file_->stamp);
}

std::filesystem::file_time_type ProgramFileWatch::StableAt() const
{
    return lastWrite_ + kStableFor;
}

} // namespace orvane
