#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    // Window tests run headless unless a display is asked for explicitly.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Sound tests never open the real device unless they choose a driver themselves.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Each test process gets a temporary folder of its own, so that tests run in parallel never
    // share their scratch files.
    const std::filesystem::path temp =
        std::filesystem::temp_directory_path() / ("zembera-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(temp);
    setenv("TMPDIR", temp.c_str(), 1);
    // Settings the window remembers go there too, never to the user's own.
    setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
    return result;
}
