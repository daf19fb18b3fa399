// The program file the window opened, watched for a new build: its path, format, size,
// modification time and a hash of its content. Only a changed content counts (a file that was
// merely touched is not news), and only once its last write lies a moment in the past, so that a
// compiler still writing it is not interrupted half-way.
#pragma once

#include "app/ProgramFiles.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orvane {

class ProgramFileWatch {
public:
    enum class Verdict {
        Unchanged, // or nothing remembered, or a change already answered
        Changed,   // ask whether to reload
        Settling,  // written less than kStableFor ago: look again after StableAt()
        Vanished,  // gone; reported once until it is back
    };

    // How long the file must stay unwritten before a change counts.
    static constexpr std::chrono::milliseconds kStableFor{1000};

    // Remembers path as the image's file, as it is now. Call it before the file is read, so that
    // a write during the read shows up as a change afterwards.
    void Remember(const std::string& path, FileFormat format);
    void Forget() { file_.reset(); }

    // The window wrote the image to path: its file from now on, when the format can be opened
    // again; a raw save over the remembered file leaves nothing to reload.
    void Saved(const std::string& path, FileFormat format);

    // Looks at the file; now is the clock of file times. Once Vanished is answered, it answers
    // Unchanged until the file exists again.
    Verdict Check(std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now());

    // The operator kept the image (No): no question until the content changes again.
    void KeepCurrent();

    const std::string* Path() const { return file_ ? &file_->path : nullptr; }
    FileFormat Format() const { return file_ ? file_->format : FileFormat::S19; }
    // When a Settling file becomes stable.
    std::filesystem::file_time_type StableAt() const;

private:
    struct Stamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        std::uint64_t hash = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct File {
        std::string path;
        FileFormat format;
        Stamp stamp;          // as last seen or answered
        bool missing = false; // its vanishing was reported
    };

    // The file as it is now; the content is hashed only when size or time differ from known.
    static std::optional<Stamp> Look(const std::string& path, const Stamp* known);

    std::optional<File> file_;
    std::filesystem::file_time_type lastWrite_{}; // of the file found settling
};

} // namespace orvane
