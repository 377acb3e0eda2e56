#pragma once
// Plays a score file of the program folder on the instrument from the melody frame, as the
// melody player plays a .ses file: each note drawn on its string, the staff and the panel, the
// counter showing the note's number, the tempo scroll bar as a tempo factor (its starting value
// plays the score at its written tempo, a higher value slower), aç_kapa_buton ending it before
// the next note, pause_buton pausing it as it pauses a replay (the sounding notes cut, the next
// note starting as the message is closed). A chord's further notes sound with its first on voices
// of their own. Before playing it reports the worst pitch error, the reading of the accidentals,
// the part and voice played, the ornaments and the mandal plan, with buttons to play, to prepare
// the mandals, to hear another reading, voice or part, and to cancel.
//
// Thread: UI thread only. The score runs on the note player: playing starts it and returns, and
// each onset is drawn and started from the player's timer.

#include <string>
#include <vector>

#include "files/files_parts.h"
#include "scores/kanun_mapping.h"
#include "scores/mandal_plan.h"
#include "scores/musicxml_reader.h"

namespace zembera::scores {

// The tempo scroll bar's starting value: the score's own tempo.
inline constexpr double kWrittenTempoScroll = 40.0;
// Opens the line of the report that tells why the score cannot be kept as a melody file.
inline constexpr const char* kSesDoesNotFit = ".ses olarak yazılamaz: ";
// Caption of the melody frame's button that keeps a score as a melody file ("SES olarak
// kaydet" in its tooltip).
inline constexpr const char* kSaveSesCaption = "SES kaydet";
// The buttons of the report shown before a score plays.
inline constexpr const char* kPlayCaption = "Çal";
inline constexpr const char* kPrepareMandalsCaption = "Mandalları hazırla";
inline constexpr const char* kCommaReadingCaption = "Koma okuması";
inline constexpr const char* kExactReadingCaption = "Yarım ses okuması";
inline constexpr const char* kKeyCommasReadingCaption = "Donanım komalarıyla";
inline constexpr const char* kNextVoiceCaption = "Sonraki ses";
inline constexpr const char* kNextPartCaption = "Sonraki bölüm";
// A MIDI file's voices are its channels and its parts its tracks.
inline constexpr const char* kNextChannelCaption = "Sonraki kanal";
inline constexpr const char* kNextTrackCaption = "Sonraki iz";
// A MIDI file's report counts the notes placed farther than this from their pitch, in cents.
inline constexpr int kFarFromPitchCents = 5;
inline constexpr const char* kCancelCaption = "Vazgeç";
// Alias of the voice of a chord's k-th further note (k from 1).
std::string chordAlias(int k);

class ScorePlayer {
  public:
    explicit ScorePlayer(FilesParts& parts) : p_(parts) {}

    // Plays `name` when it names a score file (by its extension) and returns true; false for
    // any other name, which the melody player then plays. The report shown first offers to
    // play, to prepare the mandals (which closes it), to switch the reading of the accidentals,
    // the voice and the part (each shown again with the report of the new choice), and to
    // cancel: Escape plays nothing.
    bool playIfScore(const std::string& name);

    // The button "SES olarak kaydet": writes the score named `name` as the melody file of the
    // same name (asking before it replaces one), or says why the format cannot hold it.
    void saveAsSes(const std::string& name);

  private:
    // Ends the further notes of a chord still sounding (each onset, a pause, a stop and the end
    // cut them with the memory channel).
    void silenceChord();
    // The setup of the instrument as it is now: tables, pitch level and fine tuning.
    KanunSetup setupNow(int ahenkShift) const;
    void play(const PlacedScore& placed);
    // Sets each string the score uses to the position it starts with, as a player prepares the
    // kanun before playing.
    void prepareMandals(const MandalPlan& plan);
    FilesParts& p_;
    int beside_ = 0; // chord notes sounding on their own voices, aliases chordAlias(1..beside_)
};

// The report shown before playing: the notes, the worst error and the mandal plan; for a MIDI
// file also the notes placed far from their pitch, the tuning reference and the track and
// channel played.
std::string scoreReport(const Score& score, const PlacedScore& placed, const std::string& name);

// The report's buttons for `score`: play, prepare the mandals, the other readings (MusicXML:
// commas, semitones, and the key signature's commas where they differ from its signs), the next
// voice and part (channel and track of a MIDI file), where there are several, cancel (last,
// pressed by Escape).
std::vector<std::string> reportButtons(const Score& score);

} // namespace zembera::scores
