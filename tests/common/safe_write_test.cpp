// Safe writing and limited reading in the folder states of real use: planted links, a link of the
// user's own, a private file, a full disk, a read-only folder, a killed process, a FIFO, a device
// and an oversized file. Each case checks the old files, what is left in the folder and the reason.
// Then the program's temporary files among a user's own and another user's (uid 65534) files: what
// the sweep removes, the permissions a replaced file gets, names drawn afresh in each process.
// (A render killed hard: e2e/command_line_test.cpp.)

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/file_read.h"
#include "common/safe_write.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void put(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// The names in `folder`, sorted, as one line.
std::string namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string line;
    for (const std::string& name : names)
        line += name + " ";
    return line;
}

class SafeWriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zembera_safe_write_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        ::umount2((dir / "disk").c_str(), MNT_DETACH);
        fs::remove_all(dir);
    }
    fs::path dir;
};

// A file of the old fixed temporary name is the user's own and stays; a link of the user's own
// is written through, its target keeping its private permissions; a link planted by another user
// is not followed, and what it points to stays as it was.
TEST_F(SafeWriteTest, LinksAndPermissionsAndOwnFilesOfTheOldTemporaryName) {
    put(dir / "X.wav.yeni", "kullanıcının dosyası");
    put(dir / "X.wav", "eski");
    EXPECT_EQ(replaceFile(dir / "X.wav", std::string_view("yeni")), std::nullopt);
    EXPECT_EQ(bytesOf(dir / "X.wav"), "yeni");
    EXPECT_EQ(bytesOf(dir / "X.wav.yeni"), "kullanıcının dosyası");
    // A link planted at the old fixed name leads nowhere now.
    put(dir / "kök-dosyası", "dokunulmaz");
    fs::create_symlink(dir / "kök-dosyası", dir / "Y.wav.yeni");
    EXPECT_EQ(replaceFile(dir / "Y.wav", std::string_view("yeni")), std::nullopt);
    EXPECT_EQ(bytesOf(dir / "kök-dosyası"), "dokunulmaz");

    fs::create_directories(dir / "gerçek");
    put(dir / "gerçek" / "Rast.mkm", "eski");
    ::chmod((dir / "gerçek" / "Rast.mkm").c_str(), 0400);
    fs::create_symlink("gerçek/Rast.mkm", dir / "Rast.mkm");
    EXPECT_EQ(replaceFile(dir / "Rast.mkm", std::string_view("yeni")), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(dir / "Rast.mkm"));
    EXPECT_EQ(bytesOf(dir / "gerçek" / "Rast.mkm"), "yeni");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "gerçek" / "Rast.mkm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0400u);
    EXPECT_EQ(namesIn(dir / "gerçek"), "Rast.mkm ");

    put(dir / "kurban", "dokunulmaz");
    fs::create_symlink(dir / "kurban", dir / "dikilmiş.wav");
    if (::geteuid() != 0) GTEST_SKIP() << "a link of another user needs root to make";
    ASSERT_EQ(::lchown((dir / "dikilmiş.wav").c_str(), 65534, 65534), 0);
    const auto refused = replaceFile(dir / "dikilmiş.wav", std::string_view("saldırı"));
    ASSERT_TRUE(refused.has_value());
    EXPECT_NE(refused->find("dikilmiş.wav: başka bir kullanıcının bağlantısı"), std::string::npos);
    EXPECT_EQ(bytesOf(dir / "kurban"), "dokunulmaz");
}

// Writes that fail keep every old file, leave nothing behind and say which file and why: a full
// disk (three files together, the third too large), a read-only folder, a folder in the way.
TEST_F(SafeWriteTest, FailuresKeepTheOldFilesAndLeaveNothingBehind) {
    const fs::path disk = dir / "disk";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    for (const char* name : {"a.scl", "a.kbm", "a.syx"})
        put(disk / name, "eski");
    std::vector<FileContent> files{{disk / "a.scl", {1, 2}},
                                   {disk / "a.kbm", {3, 4}},
                                   {disk / "a.syx", std::vector<std::uint8_t>(100000, 7)}};
    const auto full = replaceFiles(files);
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(*full, (disk / "a.syx").string() + ": diskte yer kalmadı");
    EXPECT_EQ(namesIn(disk), "a.kbm a.scl a.syx ");
    for (const char* name : {"a.scl", "a.kbm", "a.syx"})
        EXPECT_EQ(bytesOf(disk / name), "eski") << name;
    files[2].bytes.resize(10);
    EXPECT_EQ(replaceFiles(files), std::nullopt);
    EXPECT_EQ(bytesOf(disk / "a.kbm"), "\x03\x04");

    ASSERT_EQ(::mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    EXPECT_EQ(replaceFile(disk / "a.scl", std::string_view("x")),
              (disk / "a.scl").string() + ": klasör salt okunur");
    EXPECT_EQ(bytesOf(disk / "a.scl"), "\x01\x02");

    fs::create_directories(dir / "engel.mkm");
    EXPECT_EQ(replaceFile(dir / "engel.mkm", std::string_view("x")),
              (dir / "engel.mkm").string() + ": bir klasör");
    // A folder in the way of the second of three: the first, already in place, is put back.
    put(dir / "b.scl", "eski");
    fs::create_directories(dir / "b.kbm");
    const std::vector<FileContent> blocked{
        {dir / "b.scl", {1}}, {dir / "b.kbm", {2}}, {dir / "b.syx", {3}}};
    EXPECT_EQ(replaceFiles(blocked), (dir / "b.kbm").string() + ": bir klasör");
    EXPECT_EQ(bytesOf(dir / "b.scl"), "eski");
    EXPECT_EQ(namesIn(dir), "b.kbm b.scl disk engel.mkm ");
}

// A process killed by SIGTERM while writing removes its temporary file (one killed harder leaves
// it to the sweep below).
TEST_F(SafeWriteTest, AWriterEndedBySigtermLeavesNothing) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        removeTemporariesOnSignals();
        SafeWrite out(dir / "uzun.flac");
        out.write(std::string_view("yarım"));
        if (::write(ready[1], "r", 1) != 1) ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_NE(namesIn(dir).find(".~zembera-" + std::to_string(child) + "-"), std::string::npos);
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(namesIn(dir), "");
}

// Only regular files within the limit of their kind are read; the reason names the limit.
TEST_F(SafeWriteTest, ReadsRefuseWhatIsNotARegularFileOrTooLarge) {
    put(dir / "küçük.scl", "! küçük\n");
    ASSERT_EQ(::mkfifo((dir / "fifo.scl").c_str(), 0600), 0);
    fs::create_directories(dir / "klasör.scl");
    { std::ofstream big(dir / "büyük.wav", std::ios::binary); }
    fs::resize_file(dir / "büyük.wav", (2ull << 30) + 100); // sparse: 2 GB without the disk
    const std::pair<fs::path, std::string> rows[] = {
        {dir / "küçük.scl", ""},
        {dir / "yok.scl", "dosya bulunamadı"},
        {dir / "fifo.scl", "normal bir dosya değil"},
        {dir / "klasör.scl", "bir klasör"},
        {"/dev/zero", "normal bir dosya değil"},
        {dir / "büyük.wav", "dosya çok büyük: 2,0 GB, en çok 96 MB"},
    };
    for (const auto& [file, problem] : rows) {
        const LimitedRead<std::string> read = readLimitedFile(file, kSampleFileLimit);
        EXPECT_EQ(read.problem, problem) << file;
        EXPECT_EQ(read.bytes.has_value(), problem.empty()) << file;
    }
    EXPECT_EQ(readLimitedFile(dir / "küçük.scl", 11).problem, "");
    EXPECT_EQ(readLimitedFile(dir / "küçük.scl", 10).problem,
              "dosya çok büyük: 11 bayt, en çok 10 bayt");
    EXPECT_EQ(sizeText(1536 * 1024), "1,5 MB");
}

constexpr uid_t kOtherUser = 65534;

// A folder open to everybody, not sticky (in the test process's own temporary folder).
fs::path openFolder(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / name;
    fs::create_directories(dir);
    ::chmod(dir.c_str(), 0777);
    return dir;
}

// Removed are only names of the exact form, of a process gone, regular files of this user last
// changed before the sweeping process started ('n': made after it started).
TEST(TemporaryFiles, TheSweepRemovesOnlyItsOwnStaleFiles) {
    const fs::path dir = openFolder("sweep");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = ".~zembera-" + std::to_string(gone) + "-", hex = "0123456789abcdef";
    const bool root = ::geteuid() == 0; // 'o': a file of another user
    const std::tuple<std::string, char, bool> cases[] = {
        {dead + hex, 'f', true},
        {dead + "0000000000000000", 'f', true},
        {".~0123456789ab", 'f', false},
        {dead + "0123456789ABCDEF", 'f', false},
        {dead + "0123456789abcde", 'f', false},
        {".~zembera-0" + dead.substr(10) + hex, 'f', false},
        {".~zembera-12345678-" + hex, 'f', false},
        {".~zembera-" + std::to_string(::getpid()) + "-" + hex, 'f', false},
        {dead + "1111111111111111", 'l', false},
        {dead + "2222222222222222", 'd', false},
        {dead + "3333333333333333", 'o', !root},
        {dead + "4444444444444444", 'n', false},
    };
    for (const auto& [name, kind, removed] : cases) {
        if (kind == 'f' || kind == 'o') std::ofstream(dir / name) << "x";
        if (kind == 'l') fs::create_symlink("/etc/hostname", dir / name);
        if (kind == 'd') fs::create_directory(dir / name);
        if (kind == 'o' && root) ::chown((dir / name).c_str(), kOtherUser, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // process starts count in 10 ms
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t sweeper = ::fork();
    if (sweeper == 0) {
        char c;
        ::_exit(::read(go[0], &c, 1) == 1 ? removeStaleTemporaries(dir) : 99);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::ofstream(dir / std::get<0>(cases[11])) << "x";
    ASSERT_EQ(::write(go[1], "g", 1), 1);
    ::waitpid(sweeper, nullptr, 0);
    for (const auto& [name, kind, removed] : cases)
        EXPECT_EQ(!fs::exists(fs::symlink_status(dir / name)), removed) << name;
}

// Over the user's own file the old permissions as far as the umask allows them for a new file,
// never set-user-ID, set-group-ID or sticky; over another user's file a new file's permissions,
// and the file the writer's.
TEST(TemporaryFiles, AReplacedFileNeverTakesMoreThanANewFileOfTheUserGets) {
    const std::tuple<bool, mode_t, mode_t, mode_t> cases[] = {
        // own, old mode, umask, expected
        {true, 0640, 022, 0640},  {true, 0400, 022, 0400},  {true, 06755, 022, 0644},
        {true, 01666, 077, 0600}, {true, 0664, 022, 0644},  {false, 06777, 022, 0644},
        {false, 0600, 002, 0664}, {false, 0444, 027, 0640},
    };
    const mode_t was = ::umask(022);
    const fs::path file = openFolder("modes") / "g.wav";
    for (const auto& [own, old, umask, expected] : cases) {
        if (!own && ::geteuid() != 0) continue; // another user's file needs root to make
        std::ofstream(file) << "eski";
        if (!own) ::chown(file.c_str(), kOtherUser, kOtherUser);
        ::chmod(file.c_str(), old);
        ::umask(umask);
        EXPECT_EQ(replaceFile(file, std::string_view("yeni")), std::nullopt);
        struct stat st {};
        ::stat(file.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, expected) << std::oct << old << " " << umask;
        EXPECT_EQ(st.st_uid, ::geteuid());
        fs::remove(file);
    }
    ::umask(was);
}

// A forked copy of a process that drew a name never draws the parent's next one.
TEST(TemporaryFiles, ForkedProcessesDrawDifferentNames) {
    EXPECT_TRUE(isTemporaryFileName(newTemporaryName()));
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    if (::fork() == 0) {
        const std::string name = newTemporaryName();
        ::_exit(::write(pipe[1], name.data(), name.size()) > 0 ? 0 : 1);
    }
    std::string child(64, '\0');
    child.resize(static_cast<std::size_t>(std::max(0L, ::read(pipe[0], child.data(), 64))));
    const std::string own = newTemporaryName();
    EXPECT_NE(child.substr(child.rfind('-') + 1), own.substr(own.rfind('-') + 1));
    ::wait(nullptr);
}

} // namespace
} // namespace zembera
