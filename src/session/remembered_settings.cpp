#include "session/remembered_settings.h"

#include <charconv>
#include <sstream>

namespace zembera {
namespace {

constexpr const char* kSystemNameKey = "ses_sistemi/ad";
constexpr const char* kSystemFileKey = "ses_sistemi/scl";
constexpr const char* kMakamFileKey = "makam/dosya";
constexpr const char* kMakamNameKey = "makam/ad";
constexpr const char* kPositionsKey = "makam/mandallar";
constexpr const char* kStringsRingKey = "teller_tinlasin";
constexpr const char* kTempoKey = "ezgi/hiz";
constexpr const char* kMidiInputKey = "midi/giris";
// Every position a string of any system may take.
constexpr int kLowestPosition = -8;
constexpr int kHighestPosition = 12;

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::filesystem::path> absolutePath(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->find('\0') != std::string::npos) return std::nullopt;
    std::filesystem::path path(*text);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

std::optional<PerString<std::int16_t>> positionsOf(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    PerString<std::int16_t> positions{};
    std::string field;
    int s = 0;
    while (in >> field) {
        const std::optional<int> p = wholeNumber(field);
        if (++s > kStringCount || !p || *p < kLowestPosition || *p > kHighestPosition)
            return std::nullopt;
        positions[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(*p);
    }
    if (s != kStringCount) return std::nullopt;
    return positions;
}

std::string positionsText(const PerString<std::int16_t>& positions) {
    std::string text;
    for (int s = 1; s <= kStringCount; ++s)
        text += (s > 1 ? " " : "") + std::to_string(positions[static_cast<std::size_t>(s)]);
    return text;
}

void put(SettingsStore& store, const char* key, const std::optional<std::string>& value) {
    if (value) {
        store.setValue(key, *value);
    } else {
        store.remove(key);
    }
}

const char* folderKey(DialogKind kind) {
    switch (kind) {
    case DialogKind::piece:
        return "klasor/parca";
    case DialogKind::scale:
        return "klasor/dizi";
    case DialogKind::scaleExport:
        return "klasor/disa_ver";
    case DialogKind::soundFile:
        return "klasor/ses_dosyasi";
    }
    return "klasor/parca";
}

} // namespace

RememberedSession readSession(const SettingsStore& store) {
    RememberedSession s;
    s.systemFile = absolutePath(store.value(kSystemFileKey));
    if (!s.systemFile) {
        s.systemName = store.value(kSystemNameKey);
        if (s.systemName && s.systemName->empty()) s.systemName.reset();
    }
    s.makamFile = absolutePath(store.value(kMakamFileKey));
    s.positions = positionsOf(store.value(kPositionsKey));
    s.makamName = store.value(kMakamNameKey).value_or("");
    if (const auto ring = store.value(kStringsRingKey); ring == "true" || ring == "false")
        s.stringsRing = *ring == "true";
    if (const auto tempo = store.value(kTempoKey)) {
        const std::optional<int> t = wholeNumber(*tempo);
        if (t && *t >= kFastestTempo && *t <= kSlowestTempo) s.tempo = t;
    }
    s.midiInput = store.value(kMidiInputKey);
    return s;
}

void writeSession(SettingsStore& store, const RememberedSession& s) {
    put(store, kSystemNameKey, s.systemFile ? std::nullopt : s.systemName);
    put(store, kSystemFileKey, s.systemFile ? std::optional(s.systemFile->string()) : std::nullopt);
    put(store, kMakamFileKey, s.makamFile ? std::optional(s.makamFile->string()) : std::nullopt);
    put(store, kPositionsKey,
        s.positions ? std::optional(positionsText(*s.positions)) : std::nullopt);
    put(store, kMakamNameKey, s.makamName.empty() ? std::nullopt : std::optional(s.makamName));
    put(store, kStringsRingKey,
        s.stringsRing ? std::optional<std::string>(*s.stringsRing ? "true" : "false")
                      : std::nullopt);
    put(store, kTempoKey, s.tempo ? std::optional(std::to_string(*s.tempo)) : std::nullopt);
    put(store, kMidiInputKey, s.midiInput);
}

std::optional<std::filesystem::path> dialogFolder(const SettingsStore& store, DialogKind kind) {
    return absolutePath(store.value(folderKey(kind)));
}

void rememberDialogFolder(SettingsStore& store, DialogKind kind,
                          const std::filesystem::path& folder) {
    if (folder.is_absolute()) store.setValue(folderKey(kind), folder.string());
}

} // namespace zembera
