#include "loader/startup_loader.h"

#include <algorithm>
#include <thread>

#include "common/text_fields.h"

namespace zembera {
namespace {

constexpr const char* kKeyList =
    "--, Q, W, E, R, T, Y, U, I, O, P, A, S, D, F, G, H, J, K, L, Z, X, C, V, B, N, M";

// The table file must be there under exactly this name; the comparison is case-sensitive.
bool hasTableFile(const std::filesystem::path& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().filename() == kTableFileName && entry.is_regular_file(ec)) return true;
    }
    return false;
}

} // namespace

PerString<std::string> splitKeyNames() {
    PerString<std::string> names;
    std::string_view list = kKeyList;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t comma = list.find(',');
        names[i] = std::string(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return names;
}

StartupResult loadProgram(const std::filesystem::path& programFolder, MessageService& messages) {
    return loadProgram(DataFolders{programFolder, programFolder}, messages);
}

StartupResult loadProgram(const DataFolders& folders, MessageService& messages) {
    StartupResult result;
    auto program = std::make_unique<LoadedProgram>();
    const std::filesystem::path& programFolder = folders.program;
    program->programFolder = programFolder;
    program->sampleFolder = programFolder / kSampleFolderName;
    program->folders = folders;
    program->recordFolder = folders.user / kSampleFolderName;

    SampleFolderCheck check = checkSampleFolder(program->sampleFolder);
    if (check.error) {
        result.fatal = check.error;
        return result;
    }
    program->samples = check.folder;

    if (!hasTableFile(programFolder)) {
        result.fatal = program->tableFileName + "  isimli excell dosyası bulunamadı";
        return result;
    }

    InstrumentState& instrument = program->instrument;
    setMandalRanges(instrument);
    setPlayStarts(instrument);
    program->keyNames = splitKeyNames();

    try {
        program->tables = tablo_oku_txt(programFolder);
    } catch (const std::exception& error) {
        result.fatal = error.what();
        return result;
    }

    program->sounds = std::make_unique<StringSounds>(
        program->sampleFolder, program->samples.sampleFileName, messages, program->recordFolder);
    // Every sample is read here; those that cannot be used are named together in one message
    // (an empty file among them as "wav okunamadı"), and their strings stay silent.
    // Decoding and converting dominate when the samples are not in the program's own layout:
    // they are read on every core first.
    program->sounds->readSamples(std::clamp(std::thread::hardware_concurrency(), 1U, 4U));
    program->sounds->holdSampleReports();
    for (int s = 1; s <= kStringCount; ++s)
        program->sounds->PrepareStringSound(s, 0, program->tables, program->tuning.tuningOffset[s]);
    program->sounds->releaseSampleReports();

    // Start values: all mandals at 0, no fine tuning, reference pitch level, nothing recording.
    instrument.mandalPos.fill(0);
    instrument.transposedMandal.fill(0);
    program->tuning = TuningState{};
    program->recording.firstPluckPending = false;
    instrument.recording = false;
    instrument.playingBack = false;
    instrument.untransposedShown = true;
    instrument.currentString = 12;
    instrument.lastString = 1;

    result.program = std::move(program);
    return result;
}

} // namespace zembera
