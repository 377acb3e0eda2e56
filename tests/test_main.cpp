#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Window tests run headless unless a display is asked for explicitly.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Sound tests never open the real device unless they choose a driver themselves.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
