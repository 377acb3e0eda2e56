#pragma once
// The names of the program's temporary files, and the removal of those a killed process left.
//
// A temporary file is named ".~zembera-<pid>-<random>": <pid> the decimal number of the process
// that made it, <random> 16 lower-case hexadecimal digits drawn from the system's random source
// (getrandom). Hidden from the file lists, of a fixed length whatever the target's name.
//
// A file is removed as stale only when all of these hold: its name has exactly that form, it is
// a regular file of this user, it was last changed before this process started, and its process
// is gone (or the number now belongs to a process that started after the file was last changed).
// Anything else (another program's ".~" file, upper-case digits, another user's file, a link, a
// file of a copy that still runs) stays.
//
// Thread: any.

#include <filesystem>
#include <string>
#include <string_view>

namespace zembera {

inline constexpr std::string_view kTemporaryPrefix = ".~zembera-";

// A new name for a temporary file of this process.
std::string newTemporaryName();

// Whether `name` has the exact form of the program's temporary files.
bool isTemporaryFileName(std::string_view name);

// Removes the stale temporary files of `folder`. Returns how many were removed.
int removeStaleTemporaries(const std::filesystem::path& folder);

// The same, once per folder and process: before the first render or save into a folder.
void removeStaleTemporariesOnce(const std::filesystem::path& folder);

} // namespace zembera
