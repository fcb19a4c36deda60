#pragma once
// Replacing a settings file so that it is never left half-written.

#include <string>
#include <string_view>

namespace tavrix {

// Writes `content` to a temporary file in the same folder, flushes it to disk and
// renames it over `path` (over the file a symbolic link names, so the link stays). An existing old
// file becomes `backupPath` only when no such backup exists yet (an old backup is never
// overwritten; a failed backup is ignored). A read-only old file is refused. On any failure `path`
// is untouched, no temporary file is left behind, and IniIoError is thrown.
void ReplaceFileKeepingBackup(const std::string& path, std::string_view content,
                              const std::string& backupPath);

}  // namespace tavrix
