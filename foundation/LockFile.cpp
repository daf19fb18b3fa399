#include "foundation/LockFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace orvane {
namespace {

// The decimal digits at the start of the file.
std::string ReadHolder(int fd)
{
    char text[32];
    const ssize_t n = ::pread(fd, text, sizeof text, 0);
    std::string digits;
    for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
        digits += text[i];
    return digits.empty() ? "?" : digits;
}

} // namespace

LockFile::LockFile(const std::string& path)
{
    // Close-on-exec: a program the window starts must not keep the lock after the window ends.
    // Only a plain file of its own is truncated: no link leads the write elsewhere.
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0644);
    if (fd < 0)
        fd = ::open(path.c_str(), O_RDONLY | kFlags);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            heldElsewhere_ = true;
            holder_ = ReadHolder(fd);
        }
        ::close(fd);
        return;
    }
    fd_ = fd;
    // A lock file opened read-only still locks; only the holder it names is then stale.
    const std::string pid = std::to_string(::getpid()) + "\n";
    [[maybe_unused]] const bool named =
        ::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, pid.data(), pid.size(), 0) > 0;
}

LockFile::~LockFile()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the flock
}

LockFile::LockFile(LockFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), heldElsewhere_(other.heldElsewhere_),
      holder_(std::move(other.holder_))
{
}

LockFile& LockFile::operator=(LockFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        heldElsewhere_ = other.heldElsewhere_;
        holder_ = std::move(other.holder_);
    }
    return *this;
}

} // namespace orvane
