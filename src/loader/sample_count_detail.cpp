#include "loader/sample_count_detail.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace zembera {
namespace {

// The string a name is meant for: its first two characters as 01..26, else 0.
int stringOf(const std::string& name) {
    if (name.size() < 3 || !std::isdigit(static_cast<unsigned char>(name[0])) ||
        !std::isdigit(static_cast<unsigned char>(name[1])) || name[2] != '_')
        return 0;
    const int n = (name[0] - '0') * 10 + (name[1] - '0');
    return n <= 26 ? n : 0;
}

std::string twoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

// Why a folder entry meant for a string is not one of the listed samples.
std::string whyNotTaken(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    const auto status = entry.status(error);
    if (error || !std::filesystem::exists(status)) return "bağlantı bir dosyaya gitmiyor";
    if (std::filesystem::is_directory(status)) return "bir klasör";
    if (!std::filesystem::is_regular_file(status)) return "normal bir dosya değil";
    return "adı .wav ile bitmiyor";
}

} // namespace

std::string sampleCountDetail(const std::filesystem::path& folder,
                              const std::vector<std::string>& listed) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return "\n" + folder.filename().string() + " klasörü " +
               (error == std::errc::no_such_file_or_directory ? "bulunamadı" : "okunamadı");
    std::map<int, std::vector<std::string>> taken;
    std::string text;
    for (const std::string& name : listed) {
        taken[stringOf(name)].push_back(name);
        if (stringOf(name) == 0) text += "\n" + name + ": adı bir tel numarasıyla başlamıyor";
    }
    for (const auto& [string, names] : taken) {
        if (string == 0 || names.size() < 2) continue;
        text += "\n" + twoDigits(string) + ". telin birden çok dosyası var:";
        for (const std::string& name : names)
            text += " " + name;
    }
    // Entries meant for a string that has no listed sample.
    std::map<int, std::vector<std::string>> unused;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        const int string = stringOf(name);
        if (string != 0 && !taken.count(string))
            unused[string].push_back(name + ": " + whyNotTaken(entry));
    }
    std::string none;
    for (int string = 1; string <= 26; ++string) {
        if (taken.count(string)) continue;
        if (!unused.count(string)) {
            none += (none.empty() ? "" : ", ") + std::to_string(string);
            continue;
        }
        std::sort(unused[string].begin(), unused[string].end());
        for (const std::string& line : unused[string])
            text += "\n" + twoDigits(string) + ". tel: " + line;
    }
    if (!none.empty()) text = "\nDosyası olmayan teller: " + none + text;
    return text;
}

} // namespace zembera
