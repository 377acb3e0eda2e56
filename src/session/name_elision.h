#pragma once
// Names shortened in the middle to fit a list: "acemasiran--sarki--aksak--…--emin_ongan.txt".
// The extension and the end of the name before it stay, so that names that differ only there
// (the .txt and the .xml of one piece, "Nihavent 2" and "Nihavent 3") stay apart; the start takes
// the rest of the room, and "…" stands for what was left out.
//
// Thread: any.

#include <functional>
#include <string>
#include <string_view>

namespace zembera {

inline constexpr const char* kElisionMark = "…";

// `name` (UTF-8) itself when `fits` accepts it, else the longest shortening that it accepts,
// counted in characters (a third of those kept from the end of the name before the extension,
// the rest from its start), down to "…" and the extension alone.
std::string elideMiddle(std::string_view name, const std::function<bool(const std::string&)>& fits);

} // namespace zembera
