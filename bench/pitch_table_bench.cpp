// Reading a large pitch table: 4 MB of degree records, laid out one record a line and all on one
// line. Where the line ends fall must not change the cost.

#include <benchmark/benchmark.h>

#include <string>

#include "pitch/pitch_table.h"

namespace zembera {
namespace {

constexpr std::size_t kTableBytes = 4u << 20;

// Sections A-C, then records of every degree over and over until the text reaches kTableBytes;
// items separated by `lineEnd` at the end of every line.
std::string largeTable(const std::string& lineEnd) {
    std::string text;
    for (int s = 1; s <= 26; ++s)
        text += std::to_string(s) + ",\"tel " + std::to_string(s) + "\"" + lineEnd;
    for (int section = 0; section < 2; ++section) {
        for (int s = 1; s <= 7; ++s) {
            for (int m = -8; m <= 12; ++m)
                text += std::to_string(section == 0 ? s * 100 + m : 0) + (m < 12 ? "," : lineEnd);
        }
    }
    for (int k = -110; text.size() < kTableBytes; k = k == 200 ? -110 : k + 1) {
        text += std::to_string(k) + ", 12,0, 0,0, " + std::to_string(k * 15.2) + ", \"perde adı " +
                std::to_string(k) + "\", 0,0" + lineEnd;
    }
    return text;
}

void parse(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        PitchTables t = parsePitchTable(text, kTableFileName);
        benchmark::DoNotOptimize(t.centTable(12, 0));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_PitchTable4MBOneRecordALine(benchmark::State& state) {
    parse(state, largeTable("\r\n"));
}
BENCHMARK(BM_PitchTable4MBOneRecordALine)->Unit(benchmark::kMillisecond);

void BM_PitchTable4MBOnOneLine(benchmark::State& state) {
    parse(state, largeTable(","));
}
BENCHMARK(BM_PitchTable4MBOnOneLine)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
