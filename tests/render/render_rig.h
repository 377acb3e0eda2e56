#pragma once
// A loaded program folder of long sine samples for the rendering tests, and reading a rendered
// file back with libsndfile.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/messages.h"
#include "render/note_events.h"
#include "render/offline_render.h"
#include "shell/startup_loader.h"
#include "support/program_folder.h"

namespace zembera::test {

struct SoundFileContent {
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<std::int16_t> frames;
};

inline SoundFileContent readSoundFile(const std::filesystem::path& file) {
    SoundFileContent content;
    SF_INFO info{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    EXPECT_NE(in, nullptr) << file << ": " << sf_strerror(nullptr);
    if (in == nullptr) return content;
    content.rate = info.samplerate;
    content.channels = info.channels;
    content.format = info.format;
    content.frames.resize(static_cast<std::size_t>(info.frames * info.channels));
    sf_read_short(in, content.frames.data(), static_cast<sf_count_t>(content.frames.size()));
    sf_close(in);
    return content;
}

// Samples are 262 Hz sines of half a second; strings 8-26 at position m != 0 sound s*10 + m
// cents above 262 Hz (support/program_folder.h).
class RenderRig : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zembera_render_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        makeProgramFolder(dir, 22050);
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        source = std::make_unique<PatchedSampleSource>(
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset});
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::vector<std::int16_t> render(const NoteEvents& piece) {
        NoteSounds sounds(*source);
        std::vector<std::int16_t> out;
        renderPiece(piece, sounds, [&](std::span<const std::int16_t> f) {
            out.insert(out.end(), f.begin(), f.end());
        });
        return out;
    }

    std::filesystem::path dir;
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<PatchedSampleSource> source;
};

// A melody record line: tuplet, note, duration code, file mandal, dot, condition.
inline std::string melodyLine(int note, int code, int mandal = 0, int condition = 0) {
    return "0," + std::to_string(note) + "," + std::to_string(code) + "," + std::to_string(mandal) +
           ",0,0,0,0,0," + std::to_string(condition) + "\r\n";
}

} // namespace zembera::test
