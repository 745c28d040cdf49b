#pragma once

#include <string>

// Where the program keeps its data files: the channel file "<program>.cnl" and
// the compression-options file "<program>.avs". They lie beside the program
// when its folder is writable by this process, otherwise in the user's
// application data folder (QStandardPaths::AppDataLocation), which is created
// when needed.
//
// The choice is made once, at construction. Thread safety: a constructed
// object is immutable.
class DataPaths {
public:
    // For the running program (its path from /proc/self/exe).
    static DataPaths ForThisProgram();

    // For the program at `programPath`, an absolute file path (a path without
    // a folder, or an empty one, uses the application data folder). Tests
    // pass a path in a temporary folder.
    explicit DataPaths(std::string programPath);

    const std::string& ProgramPath() const { return programPath_; }
    // The folder holding the data files, ending in '/'.
    const std::string& DataFolder() const { return dataFolder_; }

    std::string ChannelFile() const;
    std::string OptionsFile() const;

private:
    std::string FileWithExtension(const char* extension) const;

    std::string programPath_;
    std::string dataFolder_;
};
