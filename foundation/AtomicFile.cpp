#include "foundation/AtomicFile.h"

#include "foundation/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

[[noreturn]] void Fail(const std::string& path, const char* what, int err)
{
    throw FileError("无法写入文件 " + path + "：" + what + " (" + std::strerror(err) + ")");
}

// Mode for the new file: the old file's mode when it exists, else what a plain create gives.
mode_t TargetMode(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        Fail(path, "create", errno);

    auto abandon = [&](const char* what) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(path, what, err);
    };

    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            abandon("write");
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, TargetMode(path)) != 0)
        abandon("chmod");
    if (::fsync(fd) != 0)
        abandon("sync");
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail(path, "close", err);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail(path, "rename", err);
    }
}

} // namespace orvane
