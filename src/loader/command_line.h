#pragma once
// The command line: which mode the program runs in, and the usage text printed for --help and
// for arguments it does not know.
//
// Thread: any (pure).

#include <optional>
#include <string>
#include <vector>

namespace zembera {

struct Command {
    enum class Mode { window, report, systemReport, render, help, version, wrong };
    Mode mode = Mode::window;
    std::string input;                 // render: the piece
    std::string output;                // render: the sound file
    std::optional<std::string> system; // systemReport, render: the pitch system asked for
    std::string problem;               // wrong: what is wrong, in one line
};

// The arguments after the program's name.
Command parseCommandLine(const std::vector<std::string>& arguments);

// Every mode and what --render takes, one a line.
std::string usageText();
// "ZEMBERA <version>".
std::string versionText();

} // namespace zembera
