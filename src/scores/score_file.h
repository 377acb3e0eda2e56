#pragma once
// Opens a score file by its extension: .musicxml and .xml as MusicXML, .mxl as compressed
// MusicXML, .txt as SymbTr, .mid and .midi as a Standard MIDI File.
//
// Thread: any.

#include <filesystem>
#include <string>

#include "scores/musicxml_reader.h"
#include "scores/score.h"

namespace zembera::scores {

// The extensions of score files, lower case: one line here adds a format to every way of opening
// a file (the lists, the file dialog, a drop, the command line).
inline constexpr const char* kScoreExtensions[] = {".musicxml", ".xml", ".mxl",
                                                   ".txt",      ".mid", ".midi"};

// True for the extensions above (either case), save the program's own text files Dizek.txt
// (the pitch table) and kayıt.txt (the recording).
bool isScoreFile(const std::filesystem::path& path);

// Reads and parses the file. Throws ScoreError naming the file for a file that cannot be read,
// is larger than kMaxScoreBytes, has another extension, or does not parse.
Score readScoreFile(const std::filesystem::path& path, const ScoreChoice& choice = {});

// Parses bytes already read, by the extension of `fileName`.
// `choice` picks the part, voice and reading of a MusicXML score, the track and channel of a
// MIDI file.
Score parseScoreBytes(const std::string& bytes, const std::string& fileName,
                      const ScoreChoice& choice = {});

} // namespace zembera::scores
