#include "loader/sample_folder.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/text_fields.h"
#include "sound/patched_sample.h"

namespace zembera {
namespace {

const std::string kNamingError = "Ses Dosyalarında hatalı isimlendirme var.";
const std::string kFrequencyError = "Ses Dosyalarında hatalı frekans var.";
constexpr double kFrequencyLimit = 132000; // hundredths of a hertz

std::string lowerAscii(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The characters `from`..`to` (counted from 1) of a fixed-width name.
std::string characters(const std::string& fixedName, std::size_t from, std::size_t to) {
    // fixedName holds exactly kSampleNameLength characters; find their byte offsets.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < fixedName.size(); ++i) {
        if ((static_cast<unsigned char>(fixedName[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(fixedName.size());
    return fixedName.substr(starts[from - 1], starts[to] - starts[from - 1]);
}

} // namespace

std::vector<std::string> listWavFiles(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        if (name.size() >= 4 && lowerAscii(name.substr(name.size() - 4)) == ".wav") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lowerAscii(a), lb = lowerAscii(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

SampleFolderCheck checkSampleNames(const std::vector<std::string>& names) {
    SampleFolderCheck result;
    if (names.size() != 26) {
        result.error = std::to_string(names.size()) + " ses dosyası bulundu. 26 olması gerekir.";
        return result;
    }
    PerString<bool> seen{};
    for (const std::string& name : names) {
        const std::string fixed = fitToWidth(name, kSampleNameLength);
        // Listed without regard to case, so judged so too: "…_xx.WAV" is a sample as well.
        if (lowerAscii(characters(fixed, 13, 16)) != ".wav") {
            result.error = kNamingError;
            return result;
        }
        const double number = leadingNumber(characters(fixed, 1, 2));
        if (number >= 27 || characters(fixed, 3, 3) != "_" || characters(fixed, 10, 10) != "_") {
            result.error = kNamingError;
            return result;
        }
        if (leadingNumber(characters(fixed, 4, 9)) >= kFrequencyLimit) {
            result.error = kFrequencyError;
            return result;
        }
        // A frequency of 0, a negative one or one not written in six digits gives no pitch to
        // resample from: the string would stay mute.
        if (!nominalFrequency(fixed)) {
            result.error = kNamingError;
            return result;
        }
        // A string number that names no string, or one given twice, would leave a string
        // without its sample.
        const double rounded = std::nearbyint(number);
        const long n = rounded >= 1 && rounded <= 26 ? static_cast<long>(rounded) : 0;
        if (n == 0 || seen[static_cast<std::size_t>(n)]) {
            result.error = kNamingError;
            return result;
        }
        seen[static_cast<std::size_t>(n)] = true;
        result.folder.mciAlias[static_cast<std::size_t>(n)] = characters(fixed, 11, 12);
        // The checks judge the first 16 characters; the file is opened by its real name.
        result.folder.sampleFileName[static_cast<std::size_t>(n)] = name;
    }
    return result;
}

} // namespace zembera
