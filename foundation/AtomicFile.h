// Whole-file writes that never leave a truncated file behind: the bytes go to a temporary file
// beside the target, ".<file>.orvane-<pid>-XXXXXX", which then replaces the target in one rename.
// A temporary left by a process that ended during its save is removed by the next save of the
// same file; one of a process still running, and every other file, is left alone.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Replaces (or creates) path with content. A symbolic link is followed: its final target is
// replaced, in the target's own folder, and the link stays. An existing file keeps its mode, its
// group where the user may set it, and (as root) its owner. A file whose mode bits allow no
// writing is refused, also for root. Throws FileError naming path when any step fails (no
// permission, disk full, file size limit, missing folder); the previous file, if any, is then
// unchanged and no temporary file is left.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Throws the FileError WriteFileAtomically would give for a target it cannot replace (missing
// or unwritable folder, no permission, not a regular file), without writing anything.
void CheckWritable(const std::string& path);

} // namespace orvane
