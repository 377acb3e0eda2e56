#pragma once
// The makam files of the program folder as the makam list shows them.
//
// Thread: UI thread only.

#include <filesystem>
#include <string>
#include <vector>

#include "common/data_folders.h"

namespace zembera {

// Sorts texts the Turkish way: "ç" after "c", "ı" before "i", "ş" after "s", and capitals
// beside their small letters rather than before all of them.
void sortTurkish(std::vector<std::string>& texts);

// The names of the regular files in `folder` whose name ends in ".mkm" (in any case) and does
// not start with ".", sorted the Turkish way. Empty when the folder cannot be read.
std::vector<std::string> makamFileNames(const std::filesystem::path& folder);
// The same over the user's folder and the bundled one together, each name once.
std::vector<std::string> makamFileNames(const DataFolders& folders);

} // namespace zembera
