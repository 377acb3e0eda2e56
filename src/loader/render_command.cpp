#include "loader/render_command.h"

#include <cstdio>
#include <exception>
#include <string>

#include "files/melody_file.h"
#include "files/record_handlers.h"
#include "files/text_file.h"
#include "loader/startup_loader.h"
#include "loader/system_switch.h"
#include "render/audio_file.h"
#include "render/score_events.h"
#include "scores/score_file.h"
#include "scores/symbtr_reader.h"
#include "systems/system_files.h"

namespace zembera {
namespace {

enum class PieceKind { melody, recording, score };

// A .txt file is a SymbTr score when its header says so, a recording otherwise.
std::optional<PieceKind> pieceKind(const std::filesystem::path& input,
                                   const std::optional<std::string>& text) {
    const std::string ext = input.extension().string();
    if (ext == kMelodyExtension) return PieceKind::melody;
    if (ext == ".txt" && (!scores::isScoreFile(input) || !text || !scores::looksLikeSymbTr(*text)))
        return PieceKind::recording;
    if (scores::isScoreFile(input)) return PieceKind::score;
    return std::nullopt;
}

int fail(const std::string& reason) {
    std::fprintf(stderr, "zembera: %s\n", reason.c_str());
    return 1;
}

} // namespace

int runRender(const std::filesystem::path& folder, const std::filesystem::path& input,
              const std::filesystem::path& output, std::optional<std::string_view> system) {
    // Melodies, recordings and SymbTr scores are text; a MusicXML file is read as a score.
    const std::string ext = input.extension().string();
    const TextRead read = ext == kMelodyExtension || ext == ".txt"
                              ? readTextFileOrReason(input)
                              : TextRead{std::nullopt, "dosya açılamadı"};
    const std::optional<std::string>& text = read.text;
    const std::optional<PieceKind> kind = pieceKind(input, text);
    if (!kind)
        return fail(input.string() +
                    ": yalnızca .ses ezgi, kayıt.txt, MusicXML ve SymbTr dosyaları çalınır");
    if (!audioFileKind(output))
        return fail(output.string() + ": yalnızca .wav ve .flac dosyaları yazılabilir");

    StderrMessages messages;
    StartupResult loaded = loadProgram(folder, messages);
    if (loaded.fatal) return fail(*loaded.fatal);
    LoadedProgram& program = *loaded.program;
    try {
        if (system) {
            const systems::DegreeNamer names = systems::readDegreeNamer(folder);
            useSystem(program, systems::findSystem(folder, *system, names));
        }
    } catch (const std::exception& e) {
        return fail(e.what());
    }

    NoteEvents piece;
    if (*kind == PieceKind::score) {
        // At its written tempo, on the strings as they are tuned after start-up.
        try {
            const scores::Score score = scores::readScoreFile(input);
            piece = scoreEvents(
                scores::placeScore(score,
                                   scores::standardSetup(program.tables, program.tuning.ahenkShift,
                                                         &program.tuning.tuningOffset)),
                1.0);
        } catch (const scores::ScoreError& e) {
            return fail(e.what());
        }
    }
    if (*kind != PieceKind::score) {
        if (!text) return fail(input.string() + ": " + read.problem);
        PlayerSettings settings;
        settings.mandalPos = program.instrument.mandalPos;
        settings.ahenkShift = program.tuning.ahenkShift;
        const std::string name = input.filename().string();
        try {
            piece = *kind == PieceKind::melody ? melodyEvents(*text, name, settings)
                                               : recordingEvents(*text, name, settings);
        } catch (const FormatError& e) {
            return fail(
                std::string(*kind == PieceKind::melody ? kMelodyFileFault : kRecordFileFault) +
                "\n" + e.what());
        }
    }

    const PatchedSampleSource source{program.sampleFolder, program.samples.sampleFileName,
                                     program.tables, program.tuning.tuningOffset};
    NoteSounds sounds(source);
    const RenderOutcome outcome = renderToFile(piece, sounds, output);
    if (!outcome.written) return fail(outcome.error.value_or(output.string() + ": yazılamadı"));
    std::printf("%s: %.1f saniye yazıldı\n", output.string().c_str(), piece.endMs / 1000.0);
    return 0;
}

} // namespace zembera
