// ZEMBERA: a kanun to play from the keyboard and the mouse. The modes without a window are in
// command_line.h ("zembera --help" lists them).

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/safe_write.h"
#include "loader/command_line.h"
#include "loader/render_command.h"
#include "loader/system_switch.h"
#include "shell/program_main.h"
#include "shell/window_scale.h"

int main(int argc, char** argv) {
    // Ctrl-C or a kill ends a rendering or a save without leaving its temporary file.
    zembera::removeTemporariesOnSignals();
    using zembera::Command;
    const Command command =
        zembera::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.mode) {
    case Command::Mode::help:
        std::fputs(zembera::usageText().c_str(), stdout);
        return 0;
    case Command::Mode::version:
        std::fputs(zembera::versionText().c_str(), stdout);
        return 0;
    case Command::Mode::wrong:
        std::fprintf(stderr, "zembera: %s\n%s", command.problem.c_str(),
                     zembera::usageText().c_str());
        return 2;
    case Command::Mode::render:
        return zembera::runRender(zembera::programFolder(argv[0]), command.input, command.output,
                                  command.system ? std::optional<std::string_view>(*command.system)
                                                 : std::nullopt);
    case Command::Mode::systemReport:
        return zembera::runSystemReport(zembera::programFolder(argv[0]), *command.system);
    case Command::Mode::report:
        return zembera::runReport(zembera::programFolder(argv[0]));
    case Command::Mode::window:
        break;
    }
    // Qt takes its scale factor when the application starts: the remembered "Büyüt" goes first.
    zembera::applyRememberedWindowScale(*zembera::userSettings());
    return zembera::runWindowProgram(argc, argv);
}
