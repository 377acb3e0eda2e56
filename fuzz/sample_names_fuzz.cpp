// Any text as the names of a sample folder, one name a line: the check either refuses the folder
// or gives every string 1..26 exactly one name whose frequency field is a pitch to play from.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "loader/sample_folder.h"
#include "sound/patched_sample.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        names.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const zembera::SampleFolderCheck check = zembera::checkSampleNames(names);
    if (check.error) return 0;
    for (int s = 1; s <= 26; ++s) {
        const std::string& name = check.folder.sampleFileName[static_cast<std::size_t>(s)];
        const auto hz = zembera::nominalFrequency(name);
        if (!hz || *hz <= 0 || *hz >= 1320) __builtin_trap();
    }
    return 0;
}
