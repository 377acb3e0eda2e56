#pragma once
// Rendering without a window: "zembera --render <melody .ses or kayıt.txt> <out .wav or .flac>
// [--sistem <name or .scl file>]". The program is loaded as at start-up (every mandal at its
// open position, the start tempo and options), so the file sounds as the players would play it
// right after start-up.

#include <filesystem>
#include <optional>
#include <string_view>

namespace zembera {

// Renders `input` into `output`; a failure is printed on standard error with its reason.
// Returns the exit code: 0 when the file is written.
int runRender(const std::filesystem::path& folder, const std::filesystem::path& input,
              const std::filesystem::path& output, std::optional<std::string_view> system);

} // namespace zembera
