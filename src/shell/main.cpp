// ZEMBERA: a kanun to play from the keyboard and the mouse.
// "zembera --rapor" loads everything and prints what it loaded, without a window;
// "zembera --rapor --sistem <name or .scl file>" does so for that pitch system.

#include <cstring>

#include "shell/program_main.h"
#include "shell/system_switch.h"

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], "--rapor") == 0 && std::strcmp(argv[2], "--sistem") == 0) {
        return zembera::runSystemReport(zembera::programFolder(argv[0]), argv[3]);
    }
    if (argc > 1 && std::strcmp(argv[1], "--rapor") == 0) {
        return zembera::runReport(zembera::programFolder(argv[0]));
    }
    return zembera::runWindowProgram(argc, argv);
}
