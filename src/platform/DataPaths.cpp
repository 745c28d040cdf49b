#include "platform/DataPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <filesystem>

namespace {

bool IsWritableFolder(const std::string& folder) {
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// The application data folder; an empty result when it cannot be created
// leaves the files relative to the working folder rather than nowhere.
std::string AppDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return std::string();
    }
    return folder.toStdString() + '/';
}

}  // namespace

DataPaths DataPaths::ForThisProgram() {
    std::error_code error;
    return DataPaths(std::filesystem::read_symlink("/proc/self/exe", error).string());
}

DataPaths::DataPaths(std::string programPath) : programPath_(std::move(programPath)) {
    const size_t slash = programPath_.rfind('/');
    const std::string programFolder =
        slash == std::string::npos ? std::string() : programPath_.substr(0, slash + 1);
    dataFolder_ =
        !programFolder.empty() && IsWritableFolder(programFolder) ? programFolder : AppDataFolder();
}

std::string DataPaths::ChannelFile() const {
    return FileWithExtension("cnl");
}

std::string DataPaths::OptionsFile() const {
    return FileWithExtension("avs");
}

// "<base name>.<extension>", the base name being the program's file name
// without its extension, as the files beside the program were always named.
std::string DataPaths::FileWithExtension(const char* extension) const {
    const std::filesystem::path program(programPath_);
    return dataFolder_ + program.stem().string() + '.' + extension;
}
