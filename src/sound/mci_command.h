#pragma once
// The media-control command strings the program sends, parsed into their parts:
//   open <file> type WaveAudio alias <alias>
//   play <alias> from 0
//   stop <alias>
//   close <alias>
// Keywords are matched without regard to case. The file name is everything between "open " and
// the last " type " (or " alias "), so it may hold blanks and may be empty, as when an empty name
// is concatenated into the command; a name in double quotes loses its quotes.

#include <string>
#include <string_view>

namespace zembera {

struct MciCommand {
    enum class Verb { Open, Play, Stop, Close, Invalid };
    Verb verb = Verb::Invalid;
    std::string file;  // open only
    std::string alias; // the device name; for open without alias, the file name
};

// Thread: any (pure).
MciCommand parseMciCommand(std::string_view text);

// Result codes of SoundService::mciSendString: 0 is success, as with the platform call.
enum MciResult : int {
    kMciOk = 0,
    kMciInvalidCommand = 1, // not one of the four commands, or a type other than WaveAudio
    kMciUnknownAlias = 2,   // no device is open under that alias
    kMciAliasInUse = 3,     // open of an alias that is already open
    kMciUnreadableFile = 4, // the file is missing, unreadable or not a playable WAV
    kMciNoFreeVoice = 5,    // every alias voice is taken
    kMciBusy = 6,           // the audio side is not keeping up; nothing changed
};

} // namespace zembera
