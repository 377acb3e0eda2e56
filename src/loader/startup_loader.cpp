#include "loader/startup_loader.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "common/text_fields.h"
#include "model/note_listener.h"
#include "samples/file_bytes.h"
#include "samples/sample_name.h"
#include "samples/sample_reader.h"
#include "samples/wav_header.h"

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

// Reads and decodes the sample of every string on up to `threads` threads at once (the calling
// one among them): each string is taken by exactly one thread, which writes only that string's
// entries, and joining the threads hands them back to this one. Decoding dominates when the
// samples are not in the program's own layout. Returns why each unusable one cannot be used.
PerString<std::string> readSamples(LoadedProgram& program, unsigned threads) {
    PerString<std::string> problems;
    std::atomic<int> next{1};
    const auto work = [&] {
        for (int s = next.fetch_add(1); s <= kStringCount; s = next.fetch_add(1)) {
            const std::string& name = program.samples.sampleFileName[static_cast<std::size_t>(s)];
            std::string& problem = problems[static_cast<std::size_t>(s)];
            engine::StringSample& sample = program.stringSamples[static_cast<std::size_t>(s)];
            sample.nominalHz = nominalFrequency(name).value_or(0);
            LimitedRead<SoundImage> file = readSoundFileBytes(program.sampleFolder / name);
            if (!file.bytes) {
                problem = file.problem.empty() ? "dosya açılamadı" : file.problem;
                continue;
            }
            SampleRead read = readSample(*file.bytes);
            if (!read.sample) {
                problem = std::move(read.problem);
                continue;
            }
            sample.rate = read.sample->rate;
            sample.frames =
                std::make_shared<const std::vector<float>>(std::move(read.sample->frames));
        }
    };
    std::vector<std::thread> helpers;
    const unsigned extra = threads == 0 ? 0 : std::min<unsigned>(threads, kStringCount) - 1;
    for (unsigned i = 0; i < extra; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no more threads: the ones there are do the rest
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return problems;
}

} // namespace

void giveSamples(const LoadedProgram& program, engine::Engine& engine) {
    for (int s = 1; s <= kStringCount; ++s)
        engine.setStringSample(s, program.stringSamples[static_cast<std::size_t>(s)]);
}

std::size_t stringSoundBytes(const LoadedProgram& program, engine::Engine& engine, int s) {
    const int m = program.instrument.mandalPos[static_cast<std::size_t>(s)];
    const engine::Note note =
        engine.prepareNote(s, soundingCents(program.tables, program.tuning.tuningOffset, s, m),
                           engine::Resampling::stepped);
    return note.silent() ? 0 : WavHeader::kSize + 2 * note.count;
}

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

    // Every sample is read here; those that cannot be used are named together in one message
    // (an empty file among them as "wav okunamadı"), and their strings stay silent.
    const PerString<std::string> problems =
        readSamples(*program, std::clamp(std::thread::hardware_concurrency(), 1U, 4U));
    std::vector<UnusableSample> unusable;
    for (int s = 1; s <= kStringCount; ++s)
        if (!problems[static_cast<std::size_t>(s)].empty())
            unusable.push_back({program->samples.sampleFileName[static_cast<std::size_t>(s)],
                                problems[static_cast<std::size_t>(s)]});
    if (!unusable.empty()) messages.show(unusableSamplesMessage(unusable));

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
