// Reads arbitrary bytes as the user's settings ("key=value" lines): every value read back must be
// one the program could have written (a tempo in range, 26 positions within -8..12, absolute
// paths, at most ten files opened last, each once), and a name shortened to fit must fit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "session/name_elision.h"
#include "session/recent_files.h"
#include "session/remembered_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MemorySettings store;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos)
            store.setValue(std::string(line.substr(0, equals)),
                           std::string(line.substr(equals + 1)));
        at = end + 1;
    }
    const RememberedSession s = readSession(store);
    if (s.tempo && (*s.tempo < kFastestTempo || *s.tempo > kSlowestTempo)) std::abort();
    if (s.positions)
        for (int k = 1; k <= kStringCount; ++k)
            if ((*s.positions)[static_cast<std::size_t>(k)] < -8 ||
                (*s.positions)[static_cast<std::size_t>(k)] > 12)
                std::abort();
    for (const auto& path : {s.systemFile, s.makamFile})
        if (path && !path->is_absolute()) std::abort();
    const RecentFiles recent(store);
    const std::set<std::filesystem::path> once(recent.files().begin(), recent.files().end());
    if (recent.files().size() > kRecentFileCount || once.size() != recent.files().size())
        std::abort();
    // A shortening fits, or nothing of the name but its extension is left.
    const std::size_t room = size % 40;
    const auto fits = [room](const std::string& t) { return t.size() <= room; };
    const std::string shown = elideMiddle(text.substr(0, 300), fits);
    if (!fits(shown) && !shown.starts_with(kElisionMark)) std::abort();
    return 0;
}
