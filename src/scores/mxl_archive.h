#pragma once
// Compressed MusicXML (.mxl): a zip archive whose META-INF/container.xml names the score as its
// first MusicXML <rootfile full-path>; without a container the first .musicxml or .xml entry
// outside META-INF (and outside the resource forks macOS adds) is taken. The archive is read by
// its central directory, as unzip reads it.
//
// Thread: any.

#include <string>
#include <string_view>

namespace zembera::scores {

// The score's XML text. Throws ScoreError naming `fileName` when the bytes are not a zip
// archive, hold no score, or the score inflates beyond kMaxScoreBytes.
std::string mxlScoreText(std::string_view bytes, const std::string& fileName);

} // namespace zembera::scores
