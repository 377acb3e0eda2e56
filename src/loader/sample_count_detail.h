#pragma once
// What the sample count message adds when the folder does not hold 26 samples: the strings left
// without a sample and why the file meant for each was not taken, and the strings given more than
// one.

#include <filesystem>
#include <string>
#include <vector>

namespace zembera {

// One line each, after the count message; `listed` are the names the file list showed.
std::string sampleCountDetail(const std::filesystem::path& folder,
                              const std::vector<std::string>& listed);

} // namespace zembera
