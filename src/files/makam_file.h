#pragma once
// Makam files: the sounding mandal position of each of the 26 strings, one per line, string 1
// first, each printed as the toolkit prints a number (" 3 ", "-2 ") and ended with CR LF. The file
// is named by the makam and ".mkm" and lies in the program folder.
//
// Thread: UI thread only (the functions are pure but for the file access).

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/instrument_state.h"
#include "pitch/per_string.h"

namespace zembera {

inline constexpr const char* kMakamExtension = ".mkm";
inline constexpr const char* kMakamNameMissing = "bir makam ismi girin";
inline constexpr const char* kMakamFileFault = "makam dosyasından kaynaklanan bir hata oluştu";
// A name that would place the file outside the program folder.
inline constexpr const char* kMakamNameRefused = "makam ismi \"/\" ya da \"\\\" içeremez";
// A name the program folder's listing would hide.
inline constexpr const char* kMakamNameHidden = "makam ismi \".\" ile başlayamaz";
// Followed by the file name.
inline constexpr const char* kMakamNotWritten = "makam dosyası yazılamadı: ";

// The text of a makam file holding mandalPos(1..26).
std::string makamFileText(const PerString<std::int16_t>& mandalPos);

// Nothing when `name` may name a makam file in the program folder, otherwise the message that
// refuses it. The name is otherwise taken as typed (blanks and all).
std::optional<std::string> makamNameProblem(std::string_view name);

// The file of the makam `name` in `folder`.
std::filesystem::path makamFilePath(const std::filesystem::path& folder, std::string_view name);

// The message of a makam file that cannot be loaded: the fixed text, then on a second line the
// file, the line and the reason (`fault` is FormatError::what()).
std::string makamFaultMessage(const std::string& fault);

// Reads 26 positions from the text of a makam file and hands each to `take`(k, position) as soon
// as it is read, string 1 first. A position must be a whole number within its string's range
// mandalMin..mandalMax of `ranges`. Throws FormatError at the first fault; the strings handed
// over before it keep what they got.
void readMakamPositions(std::string_view text, const std::string& fileName,
                        const InstrumentState& ranges,
                        const std::function<void(int k, std::int16_t position)>& take);

// The 26 positions of a makam file, each within its string's range in the bundled pitch table
// (setMandalRanges), whatever system is in use. Throws FormatError at the first fault.
PerString<std::int16_t> readMakamFile(std::string_view text, const std::string& fileName);

} // namespace zembera
