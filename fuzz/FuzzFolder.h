// A data folder for the fuzzers that read files, one for the whole run and removed at exit. The
// input is one file under several names, rewritten in place for each input. In memory where the
// system has a tmpfs at /dev/shm: creating files on a disk file system would set the pace, not
// the code under test.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <unistd.h>

namespace orvane::fuzz {

class FuzzFolder {
public:
    explicit FuzzFolder(std::initializer_list<const char*> names)
    {
        std::string dir = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        dir += "/orvane-fuzz-XXXXXX";
        if (!::mkdtemp(dir.data()))
            std::abort();
        path = dir + "/";
        input = path + *names.begin();
        ::close(::open(input.c_str(), O_WRONLY | O_CREAT, 0600));
        for (auto name = names.begin() + 1; name != names.end(); ++name)
            std::filesystem::create_hard_link(input, path + *name);
    }
    ~FuzzFolder() { std::filesystem::remove_all(path); }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    // The input's bytes under every name.
    void Hold(const std::uint8_t* data, std::size_t size) const
    {
        const int fd = ::open(input.c_str(), O_WRONLY | O_TRUNC);
        if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size))
            std::abort();
        ::close(fd);
    }

    std::string path;  // ends with '/'
    std::string input; // the first name
};

} // namespace orvane::fuzz
