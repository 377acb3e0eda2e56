#pragma once
// A program loaded from a folder, and what a loaded string sounds where its mandal stands, as its
// letter key plays it: its note made by an engine at 44100 Hz from the sample the loader read.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/engine.h"
#include "loader/startup_loader.h"
#include "model/note_listener.h"

namespace zembera::test {

inline std::unique_ptr<LoadedProgram> loadFrom(const std::filesystem::path& dir,
                                               MessageService& messages) {
    auto result = loadProgram(dir, messages);
    if (result.fatal) throw std::runtime_error(*result.fatal);
    return std::move(result.program);
}

inline std::vector<std::int16_t> stringSound(const LoadedProgram& p, int s) {
    engine::Engine e;
    e.setStringSample(s, p.stringSamples[static_cast<std::size_t>(s)]);
    const int m = p.instrument.mandalPos[static_cast<std::size_t>(s)];
    const engine::Note note = e.prepareNote(s, soundingCents(p.tables, p.tuning.tuningOffset, s, m),
                                            engine::Resampling::stepped);
    return {note.frames.get(), note.frames.get() + note.count};
}

} // namespace zembera::test
