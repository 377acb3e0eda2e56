#include "common/data_folders.h"

#include <sys/stat.h>
#include <unistd.h>

namespace zembera {
namespace {

bool holdsTable(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / "Dizek.txt", error);
}

} // namespace

std::filesystem::path bundledDataFolder(const std::filesystem::path& executableFolder) {
    if (holdsTable(executableFolder)) return executableFolder;
    const std::filesystem::path installed =
        (executableFolder.parent_path() / kInstalledDataFolder).lexically_normal();
    if (holdsTable(installed)) return installed;
    return executableFolder;
}

bool folderWritable(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool folderOwnedBySelf(const std::filesystem::path& folder) {
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && st.st_uid == ::geteuid();
}

std::filesystem::path DataFolders::find(const std::filesystem::path& name) const {
    const std::filesystem::path own = user / name;
    std::error_code error;
    if (!separate() || std::filesystem::exists(own, error)) return own;
    return program / name;
}

DataFolders chooseDataFolders(const std::filesystem::path& program,
                              const std::filesystem::path& userData,
                              const std::string& sampleFolderName) {
    // A program folder of another user's (an installation open to a group, say) is shared: its
    // bundled files are never replaced, the user's own go to the user's folder.
    if (folderWritable(program) && folderWritable(program / sampleFolderName) &&
        folderOwnedBySelf(program))
        return {program, program};
    std::error_code error;
    std::filesystem::create_directories(userData / sampleFolderName, error);
    return {program, userData};
}

} // namespace zembera
