// ZEMBERA: loads the instrument from the program folder and reports what it loaded.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "common/messages.h"
#include "shell/startup_loader.h"

namespace {

std::filesystem::path programFolder(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
    return std::filesystem::absolute(argv0).parent_path();
}

void report(const zembera::LoadedProgram& p, double loadMs) {
    std::printf("ZEMBERA: program klasörü %s\n", p.programFolder.string().c_str());
    std::printf("Perde tablosu %s okundu; oktav bölümü: %s / %s\n", p.tableFileName.c_str(),
                p.tables.octaveDivisionCaptions[0].c_str(),
                p.tables.octaveDivisionCaptions[1].c_str());
    std::printf("tel tuş etiket  mandal      açık perde (cent)   derece  ad                      "
                "      ses dosyası        görüntü (bayt)\n");
    for (int s = 1; s <= zembera::kStringCount; ++s) {
        const auto image = p.sounds->stringSound(s);
        std::printf("%02d  %-3s %-6s %3d..%-3d  %14.4f       %5d  %s  %s  %9zu\n", s,
                    p.keyNames[s].c_str(), p.samples.mciAlias[s].c_str(), p.instrument.mandalMin[s],
                    p.instrument.mandalMax[s], p.tables.centTable(s, 0),
                    p.tables.stringDegree(s, 0), p.tables.degreeName(s, 0).c_str(),
                    p.samples.sampleFileName[s].c_str(), image ? image->size() : std::size_t{0});
    }
    std::printf("Seçili tel %d, ahenk %d, yükleme %.1f ms\n", p.instrument.currentString,
                p.tuning.ahenkIndex, loadMs);
}

} // namespace

int main(int /*argc*/, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    zembera::StderrMessages messages;
    auto result = zembera::loadProgram(programFolder(argv[0]), messages);
    if (result.fatal) {
        messages.show(*result.fatal);
        return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    report(*result.program, ms);
    return 0;
}
