// ZEMBERA: a kanun to play from the keyboard and the mouse.
// "zembera --rapor" loads everything and prints what it loaded, without a window;
// "zembera --rapor --sistem <name or .scl file>" does so for that pitch system;
// "zembera --render <melody .ses or kayıt.txt> <out .wav or .flac> [--sistem <name or .scl>]"
// renders a piece to a sound file without a window.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "common/safe_write.h"
#include "shell/program_main.h"
#include "shell/render_command.h"
#include "shell/system_switch.h"

int main(int argc, char** argv) {
    // Ctrl-C or a kill ends a rendering or a save without leaving its temporary file.
    zembera::removeTemporariesOnSignals();
    if (argc > 1 && std::strcmp(argv[1], "--render") == 0) {
        const bool plain = argc == 4;
        const bool withSystem = argc == 6 && std::strcmp(argv[4], "--sistem") == 0;
        if (!plain && !withSystem) {
            std::fprintf(stderr, "kullanım: zembera --render <ezgi.ses ya da kayıt.txt> "
                                 "<çıktı.wav ya da .flac> [--sistem <ad ya da .scl dosyası>]\n");
            return 2;
        }
        return zembera::runRender(zembera::programFolder(argv[0]), argv[2], argv[3],
                                  withSystem ? std::optional<std::string_view>(argv[5])
                                             : std::nullopt);
    }
    if (argc > 3 && std::strcmp(argv[1], "--rapor") == 0 && std::strcmp(argv[2], "--sistem") == 0) {
        return zembera::runSystemReport(zembera::programFolder(argv[0]), argv[3]);
    }
    if (argc > 1 && std::strcmp(argv[1], "--rapor") == 0) {
        return zembera::runReport(zembera::programFolder(argv[0]));
    }
    return zembera::runWindowProgram(argc, argv);
}
