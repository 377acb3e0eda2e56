#include "loader/render_command.h"

#include <cctype>
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
#include "session/file_kind.h"
#include "systems/system_files.h"

namespace zembera {
namespace {

enum class PieceKind { melody, recording, score };

// As the window tells them (fileKind); a .txt file that cannot be read is told as a recording.
std::optional<PieceKind> pieceKind(const std::filesystem::path& input,
                                   const std::optional<std::string>& text, bool textFile) {
    switch (fileKind(input, text ? std::optional<std::string_view>(*text) : std::nullopt)) {
    case FileKind::melody:
        return PieceKind::melody;
    case FileKind::recording:
        return PieceKind::recording;
    case FileKind::score:
        return textFile && !text ? PieceKind::recording : PieceKind::score;
    default:
        return std::nullopt;
    }
}

int fail(const std::string& reason) {
    std::fprintf(stderr, "zembera: %s\n", reason.c_str());
    return 1;
}

} // namespace

int runRender(const std::filesystem::path& folder, const std::filesystem::path& input,
              const std::filesystem::path& output, std::optional<std::string_view> system) {
    // Melodies, recordings and SymbTr scores are text; MusicXML and MIDI files are read as scores.
    std::string ext = input.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const FileKind named = fileKind(input);
    const bool textFile = named == FileKind::melody || named == FileKind::recording ||
                          (named == FileKind::score && ext == ".txt");
    const TextRead read =
        textFile ? readTextFileOrReason(input) : TextRead{std::nullopt, "dosya açılamadı"};
    const std::optional<std::string>& text = read.text;
    const std::optional<PieceKind> kind = pieceKind(input, text, textFile);
    if (!kind)
        return fail(input.string() +
                    ": yalnızca .ses ezgi, kayıt.txt, MusicXML, SymbTr ve MIDI dosyaları çalınır");
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
