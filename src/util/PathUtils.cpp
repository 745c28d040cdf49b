#include "util/PathUtils.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "util/ExtString.h"
#include "util/Tokenizer.h"

namespace {

constexpr char kWhiteSpace[] = " \t\r\n\f\v";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return std::string();
        }
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// /proc/self/cmdline holds argv as zero-terminated strings; argv[0] is
// replaced by the executable's own path, as the old platform reported it.
std::string Arguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string arguments;
    size_t start = all.find('\0');
    while (start != std::string::npos && start + 1 < all.size()) {
        const size_t end = all.find('\0', start + 1);
        arguments += ' ';
        arguments += all.substr(start + 1, end == std::string::npos ? end : end - start - 1);
        start = end;
    }
    return arguments;
}

}  // namespace

std::string FileNameOfPath(const std::string& path) {
    std::vector<StringToken> tokens;
    std::string leading;
    Tokenize(path, "/", -1, tokens, leading);
    return ExtString(path).Field(static_cast<int>(tokens.size()), "/").Text();
}

std::string ProgramPathFromCommandLine(const std::string& commandLine) {
    ExtString text(Trimmed(commandLine));
    if (text.IsEmpty()) {
        return std::string();
    }
    if (text.Text().front() == '"') {
        text.ReplaceFirst("\"", "");
        const size_t closing = text.Text().find('"');
        if (closing != std::string::npos) {
            text = text.Left(static_cast<int>(closing));
        }
    }
    return text.ReplaceAll("\"", "").Text();
}

std::string GetProgramPath() {
    const std::string executable = ExecutablePath();
    if (executable.empty()) {
        return std::string();
    }
    return ProgramPathFromCommandLine('"' + executable + '"' + Arguments());
}

void ReplaceExtension(std::string& path, const char* extension) {
    const size_t slash = path.rfind('/');
    const size_t pieceStart = slash == std::string::npos ? 0 : slash;
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= pieceStart) {
        path.resize(dot);
    }
    std::string_view suffix(extension ? extension : "");
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
    }
    path += '.';
    path += suffix;
}

void DeleteFileAtPath(const std::string& path) {
    unlink(path.c_str());
}

uintmax_t FileSizeOrZero(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}
