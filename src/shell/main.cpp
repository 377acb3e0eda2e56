// ZEMBERA: a kanun to play from the keyboard and the mouse.
// "zembera --rapor" loads everything and prints what it loaded, without a window.

#include <cstring>

#include "shell/program_main.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--rapor") == 0) {
        return zembera::runReport(zembera::programFolder(argv[0]));
    }
    return zembera::runWindowProgram(argc, argv);
}
