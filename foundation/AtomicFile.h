// Whole-file writes that never leave a truncated file behind: the bytes go to a temporary file
// beside the target, which then replaces the target in one rename.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Replaces (or creates) path with content. Throws FileError naming path when any step fails
// (no permission, disk full, missing folder); the previous file, if any, is then unchanged.
void WriteFileAtomically(const std::string& path, std::string_view content);

} // namespace orvane
