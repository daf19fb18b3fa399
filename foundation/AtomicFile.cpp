#include "foundation/AtomicFile.h"

#include "foundation/Errors.h"
#include "foundation/Translate.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

constexpr int kMaxLinkHops = 40; // as the kernel's own limit

[[noreturn]] void Fail(const std::string& path, const char* what, int err)
{
    throw FileError(Tr("无法写入文件 ") + path + Tr("：") + what + " (" + std::strerror(err) + ")");
}

// The folder part of path, ending with '/'.
std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

// The file a save replaces: symbolic links followed to the end, also a dangling one.
std::string FinalTarget(const std::string& path)
{
    std::string target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::string next(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
        const ssize_t n = ::readlink(target.c_str(), next.data(), next.size());
        if (n < 0)
            Fail(path, "readlink", errno);
        next.resize(static_cast<std::size_t>(n));
        target = next.starts_with('/') ? next : FolderOf(target) + next;
    }
    Fail(path, "readlink", ELOOP);
}

// Temporaries are ".<file>.orvane-<pid>-XXXXXX" beside the target: hidden, and telling which
// process writes them, so that one a killed save left behind can be told from a save still
// running elsewhere and from the user's own files.
constexpr std::string_view kTempTag = ".orvane-";
constexpr std::size_t kTempSuffixLength = 6; // mkstemp's XXXXXX

std::string TempPrefix(const std::string& target)
{
    const std::string folder = FolderOf(target);
    return folder + "." + target.substr(folder.size()) + std::string(kTempTag);
}

// The process that wrote a temporary of the target named `name`, or none for other names.
std::optional<pid_t> WriterOfTemp(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix))
        return std::nullopt;
    name.remove_prefix(prefix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || name.size() - dash - 1 != kTempSuffixLength)
        return std::nullopt;
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + dash, pid);
    if (ec != std::errc{} || end != name.data() + dash || pid <= 0)
        return std::nullopt;
    return pid;
}

bool IsRunning(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

// Removes the target's temporaries whose process has ended (a save killed half-way); a live
// process's temporary and every other file stay. Best effort: a save does not fail over debris.
void RemoveStaleTemps(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const std::string prefix = TempPrefix(target).substr(folder.size());
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const auto pid = WriterOfTemp(entry->d_name, prefix);
        struct stat st {};
        if (pid && !IsRunning(*pid) &&
            ::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

// The existing target's status; none when there is no file yet. Refuses what cannot be replaced.
std::optional<struct stat> CheckTarget(const std::string& path, const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno != ENOENT)
            Fail(path, "stat", errno);
        if (::access(FolderOf(target).c_str(), W_OK | X_OK) != 0)
            Fail(path, "open", errno);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode))
        Fail(path, "open", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // Root may write anything; a file nobody may write is still meant to stay as it is.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0 ||
        ::access(FolderOf(target).c_str(), W_OK | X_OK) != 0)
        Fail(path, "open", EACCES);
    return st;
}

// A file size limit (ulimit -f) must end in EFBIG from write, not in the signal's default of
// ending the program with the temporary file left behind.
void IgnoreFileSizeSignal()
{
    static const bool ignored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

// The old file's owner, group and mode for the new one: the group where the user may set it,
// the owner only where the user may (as root).
void TakeOverAttributes(int fd, const std::optional<struct stat>& old)
{
    if (!old) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        return;
    }
    // When neither is allowed the file gets the user's group, as any new file would.
    const bool owned = ::fchown(fd, old->st_uid, old->st_gid) == 0 ||
                       ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) == 0;
    (void)owned;
    ::fchmod(fd, old->st_mode & 07777); // after fchown, which may clear set-ID bits
}

} // namespace

void CheckWritable(const std::string& path)
{
    CheckTarget(path, FinalTarget(path));
}

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    IgnoreFileSizeSignal();
    const std::string target = FinalTarget(path);
    const std::optional<struct stat> old = CheckTarget(path, target);

    RemoveStaleTemps(target);
    std::string temp = TempPrefix(target) + std::to_string(::getpid()) + "-XXXXXX";
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
    TakeOverAttributes(fd, old);
    if (::fsync(fd) != 0)
        abandon("sync");
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail(path, "close", err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail(path, "rename", err);
    }
}

} // namespace orvane
