#pragma once

#include <string>
#include <vector>

namespace base {
// Replaces `hostPath` with `bytes`: a temporary file beside it is written, flushed and renamed
// over it, so readers see the old contents or the new, and a crash leaves one of the two.
// Creates missing parent folders. Returns false when the file could not be written.
bool writeFileAtomically(const std::string& hostPath, const std::vector<char>& bytes);
// Creates `hostPath` and its missing parents as folders.
bool makeDirectories(const std::string& hostPath);
}  // namespace base
