#include "session/name_elision.h"

#include <vector>

namespace zembera {
namespace {

// Where each character (code point) of `text` starts, and its end. Stray continuation bytes
// belong to the character before them (at the start, to the first).
std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i == 0 || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

} // namespace

std::string elideMiddle(std::string_view name,
                        const std::function<bool(const std::string&)>& fits) {
    if (fits(std::string(name))) return std::string(name);
    // The extension: from the last dot that is not the first character.
    const std::size_t dot = name.rfind('.');
    const std::size_t stemEnd = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
    const std::string_view stem = name.substr(0, stemEnd);
    const std::string_view extension = name.substr(stemEnd);
    const std::vector<std::size_t> at = characterStarts(stem);
    const std::size_t characters = at.size() - 1;
    const auto shortened = [&](std::size_t kept) {
        const std::size_t tail = kept / 3;
        const std::size_t head = kept - tail;
        return std::string(stem.substr(0, at[head])) + kElisionMark +
               std::string(stem.substr(at[characters - tail])) + std::string(extension);
    };
    // The most characters kept that fit: fewer never take more room.
    std::size_t low = 0, high = characters == 0 ? 0 : characters - 1;
    if (!fits(shortened(low))) return shortened(low);
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (fits(shortened(middle))) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return shortened(low);
}

} // namespace zembera
