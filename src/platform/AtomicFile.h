#pragma once

#include <string>
#include <string_view>

// Replaces the whole content of the file at `path` with `bytes`, atomically:
// the bytes go to a new temporary file in the same folder, which is flushed to
// the disk and then renamed over `path`. Readers see either the old file or
// the complete new one, also after a crash. An existing file's permission bits
// are kept; a new file gets 0666 less the umask.
//
// A `path` that is a symbolic link is saved through the link: the file it
// finally names is replaced and the link stays. Temporary files of this kind
// left beside that file by a save that was killed (their process is gone)
// are removed first.
//
// Returns true when the new content is in place. On any failure the previous
// file (or its absence) is left as it was, the temporary file is removed and
// errno tells why. Every data file of the program is saved through this.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The file `path` finally names when its last component is a symbolic link,
// followed link by link (a relative link is taken from the link's folder);
// `path` itself when it is no link. The file named need not exist.
std::string ResolveFileLinks(const std::string& path);
