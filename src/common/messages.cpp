#include "common/messages.h"

#include <iostream>

namespace zembera {

void StderrMessages::show(const std::string& text) {
    std::cerr << text << '\n';
}

bool StderrMessages::askYesNo(const std::string& question) {
    std::cerr << question << " (Evet)\n";
    return true;
}

} // namespace zembera
