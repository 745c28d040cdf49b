#pragma once

#include <cstdint>
#include <string>

// Path helpers. Paths are byte strings with '/' as the separator.

// The last non-empty '/'-separated piece of `path`: the file name, the last
// folder name for a path ending in '/', the whole text for a path without
// '/', empty for an empty path.
std::string FileNameOfPath(const std::string& path);

// The program path from a command line as the program was started with it:
// white space at both ends is removed; a leading double quote is dropped and
// the text is cut at the next one (so the arguments after a quoted path go);
// every remaining double quote is removed. An unquoted command line thus
// keeps its arguments.
std::string ProgramPathFromCommandLine(const std::string& commandLine);

// The running program's absolute path, taken from the command line made of the
// quoted executable path (/proc/self/exe) and the program's arguments.
// Empty when the executable cannot be determined.
std::string GetProgramPath();

// Replaces the extension of the last path piece by `extension` (one leading
// '.' of it is skipped): "/a.b/prog.exe" with "cnl" gives "/a.b/prog.cnl", a
// piece without '.' gets ".cnl" appended, an empty extension leaves the path
// ending in '.'. Dots in folder names are never touched.
void ReplaceExtension(std::string& path, const char* extension);

// Deletes the file at exactly `path` if there is one. Errors are ignored.
void DeleteFileAtPath(const std::string& path);

// The size in bytes of the file at `path`, 0 when there is none (for progress
// lines, where a missing file is simply empty).
uintmax_t FileSizeOrZero(const std::string& path);
