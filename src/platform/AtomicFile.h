#pragma once

#include <string>
#include <string_view>

// Replaces the whole content of the file at `path` with `bytes`, atomically:
// the bytes go to a new temporary file in the same folder, which is flushed to
// the disk and then renamed over `path`. Readers see either the old file or
// the complete new one, also after a crash. An existing file's permission bits
// are kept; a new file gets 0666 less the umask.
//
// Returns true when the new content is in place. On any failure the previous
// file (or its absence) is left as it was and the temporary file is removed.
// Every data file of the program is saved through this.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
