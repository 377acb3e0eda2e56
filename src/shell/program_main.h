#pragma once
// The program from start to end: single instance, splash, loading, the main window.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/data_folders.h"

namespace zembera {

// The folder of everything the program reads: the executable's own folder, or
// <prefix>/share/zembera for an executable installed in <prefix>/bin.
std::filesystem::path programFolder(const char* argv0);

// The user's own data folder (for the user's files when the program folder is not writable).
std::filesystem::path userDataFolder();

// Removes the temporary files of killed runs from the folders the program writes.
void removeStaleTemporaries(const DataFolders& folders, const std::string& sampleFolderName);

// Runs the window program, opening `files` in it once it shows; returns the exit code.
int runWindowProgram(int argc, char** argv, const std::vector<std::string>& files = {});

// Loads everything and prints what was loaded, without a window; returns the exit code.
int runReport(const std::filesystem::path& folder);

} // namespace zembera
