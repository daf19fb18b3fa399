// The one way the program reads a file: opened without blocking (a FIFO or device never hangs
// the program), regular files only, and never more than a limit that fits what the file holds.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace orvane {

// Settings file, model list, About text.
inline constexpr std::size_t kSmallFileLimit = 1u << 20;
// Chip and program files: a full 64 KiB image is about 180 KiB of S-records.
inline constexpr std::size_t kProgramFileLimit = 16u << 20;

// The bytes of path. Throws FileError naming path when it cannot be opened, is not a regular
// file, is larger than limit or cannot be read.
std::string ReadWholeFile(const std::string& path, std::size_t limit);

// As ReadWholeFile, but none when there is no such file (or a folder of its path is missing).
std::optional<std::string> ReadFileIfPresent(const std::string& path, std::size_t limit);

} // namespace orvane
