#include "foundation/ReadFile.h"

#include "foundation/Errors.h"
#include "foundation/Translate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason,
                       const char* what = Tr("无法读取文件 "))
{
    throw FileError(what + path + Tr("：") + reason);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { ::close(fd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::string ReadWholeFile(const std::string& path, std::size_t limit)
{
    std::optional<std::string> text = ReadFileIfPresent(path, limit);
    if (!text)
        Fail(path, std::strerror(ENOENT), Tr("无法打开文件 "));
    return std::move(*text);
}

std::optional<std::string> ReadFileIfPresent(const std::string& path, std::size_t limit)
{
    // O_NONBLOCK: opening a FIFO without a writer, or a device, returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR))
        return std::nullopt;
    if (fd < 0)
        Fail(path, std::strerror(errno), Tr("无法打开文件 "));
    const Descriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail(path, std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        Fail(path, Tr("不是普通文件"));
    if (static_cast<std::size_t>(st.st_size) > limit)
        Fail(path, Tr("文件过大（超过 ") + std::to_string(limit) + Tr(" 字节）"));

    std::string text;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(path, std::strerror(errno));
        if (n == 0)
            return text;
        if (text.size() + static_cast<std::size_t>(n) > limit) // grew while being read
            Fail(path, Tr("文件过大（超过 ") + std::to_string(limit) + Tr(" 字节）"));
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace orvane
