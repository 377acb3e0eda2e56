// A plugin's state saved as a host saves it with its session, and restored into a new instance:
// a path parameter's file (set by a patch:Set message, loaded by the plugin's worker) and the
// control values come back, and the new instance sounds as the saved one did.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>

#include "lv2_plugin.h"
#include "note_measure.h"

namespace zembera::lv2 {
namespace {

constexpr double kRate = 48000;
constexpr uint32_t kBlock = 128;
constexpr float kValue = ZEMBERA_LV2_STATE_VALUE;

class PluginState : public testing::Test {
  protected:
    Bundle bundle{ZEMBERA_LV2_STATE_BUNDLE, ZEMBERA_LV2_STATE_URI};
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "state";

    Plugin make() { return Plugin(bundle, kRate, kBlock, folder / "scratch"); }
    // One block, in which the plugin may hand its loading to the worker, then a note of half a
    // second on the first channel.
    static std::vector<float> play(Plugin& plugin) {
        plugin.render(kBlock);
        plugin.midi(plugin.frame() + 100, {0x90, 69, 100});
        plugin.midi(plugin.frame() + 12000, {0x80, 69, 0});
        return plugin.render(24000)[0];
    }
    static float largestDifference(std::span<const float> a, std::span<const float> b) {
        float largest = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            largest = std::max(largest, std::fabs(a[i] - b[i]));
        return largest;
    }
};

TEST_F(PluginState, ComesBackInANewInstanceAndSoundsTheSame) {
    const auto parameters = bundle.pathParameters();
    ASSERT_FALSE(parameters.empty()) << "the plugin has no path parameter";
    const std::filesystem::path file = ZEMBERA_LV2_STATE_FILE;

    Plugin saved = make();
    saved.setPath(0, parameters.front(), file);
    saved.setControl(ZEMBERA_LV2_STATE_CONTROL, kValue);
    const auto heard = play(saved);
    ASSERT_GT(rmsOf(heard, 0, heard.size()), 1e-3);
    saved.saveState(folder);
    std::stringstream turtle;
    turtle << std::ifstream(folder / "state.ttl").rdbuf();
    EXPECT_NE(turtle.str().find(file.filename().string()), std::string::npos) << turtle.str();

    Plugin restored = make();
    restored.restoreState(folder);
    EXPECT_EQ(restored.control(ZEMBERA_LV2_STATE_CONTROL), kValue);
    EXPECT_LT(largestDifference(play(restored), heard), 1e-6f);

    // Without the state, the same note sounds otherwise: the comparison above can fail.
    Plugin fresh = make();
    EXPECT_GT(largestDifference(play(fresh), heard), 1e-2f);
}

TEST_F(PluginState, AControlChangedBetweenBlocksActsFromTheNextBlock) {
    const std::filesystem::path file = ZEMBERA_LV2_STATE_FILE;
    Plugin kept = make(), changed = make();
    std::vector<float> heard[2];
    for (int i = 0; i < 2; ++i) {
        Plugin& plugin = i == 0 ? kept : changed;
        plugin.setPath(0, bundle.pathParameters().front(), file);
        plugin.render(kBlock);
        plugin.midi(plugin.frame() + 10, {0x90, 69, 100});
        heard[i] = plugin.render(40 * kBlock)[0];
        if (i == 1) changed.setControl(ZEMBERA_LV2_STATE_CONTROL, kValue);
        const auto after = plugin.render(4 * kBlock)[0];
        heard[i].insert(heard[i].end(), after.begin(), after.end());
    }
    const std::span<const float> kept_(heard[0]), changed_(heard[1]);
    EXPECT_LT(largestDifference(kept_.first(40 * kBlock), changed_.first(40 * kBlock)), 1e-6f);
    EXPECT_GT(largestDifference(kept_.subspan(40 * kBlock, kBlock),
                                changed_.subspan(40 * kBlock, kBlock)),
              1e-3f);
}

} // namespace
} // namespace zembera::lv2
