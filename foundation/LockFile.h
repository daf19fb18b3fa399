// An exclusive lock between processes: a flock on a small file that names its holder's process
// ID. The file is never removed: a process that removed it could let two others lock two
// different files of the same name.
#pragma once

#include <string>

namespace orvane {

class LockFile {
public:
    LockFile() = default; // holds nothing
    // Takes the lock on path, creating the file, and writes this process's ID into it. When the
    // file cannot be opened or locked at all (a folder nobody may write), nothing is held and
    // nobody else is named: the caller goes on alone.
    explicit LockFile(const std::string& path);
    ~LockFile();
    LockFile(LockFile&& other) noexcept;
    LockFile& operator=(LockFile&& other) noexcept;

    // Another process (or another open of the file) holds the lock.
    bool HeldElsewhere() const { return heldElsewhere_; }
    // The process ID the holder wrote, "?" when it has written none yet.
    const std::string& Holder() const { return holder_; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
    std::string holder_;
};

} // namespace orvane
