#pragma once
// The program from start to end: single instance, splash, loading, the main window.

#include <filesystem>

namespace zembera {

// The folder of the executable, where everything the program reads lies.
std::filesystem::path programFolder(const char* argv0);

// Runs the window program; returns the exit code.
int runWindowProgram(int argc, char** argv);

// Loads everything and prints what was loaded, without a window; returns the exit code.
int runReport(const std::filesystem::path& folder);

} // namespace zembera
