#pragma once
// The small frame between the key help and the octave frame: four short lines of what is loaded
// (the pitch system, the makam, marked "≈" when its strings stand at another system's nearest
// pitches), what the MIDI input does and whether sound reaches a device. Without an audio device
// the program plays silently; the last line says so in red, and its hint tells that the WAV
// button still writes sound files. A notice ("Büyüt" had to take a smaller factor) stands in the
// MIDI line for a while; the MIDI box beside the strings shows the MIDI state all the time.
//
// The frame is narrow (65 pixels): every line takes the longest of its wordings that fits,
// and the frame's hint holds every line in full.
//
// Thread: UI thread only.

#include <QString>
#include <QStringList>
#include <array>
#include <string>

class QFontMetrics;
class QGroupBox;
class QLabel;

namespace zembera {

inline constexpr const char* kNoSoundDeviceLine = "ses yok";
inline constexpr const char* kNoSoundDeviceHint =
    "Ses aygıtı bulunamadı: ZEMBERA sessiz çalıyor. Ezgi ve kayıt yine WAV düğmesiyle ses "
    "dosyasına yazılabilir.";
// After a makam placed in a system other than the one its file is written for.
inline constexpr const char* kMakamNearestMark = " ≈";

// Whether the audio driver `driver` (as SDL names it; empty when none opened) reaches a listener:
// SDL's "dummy" driver plays into nothing.
bool soundDeviceMissing(const std::string& driver);

// The first of `wordings` (the longest first) no wider than `width`; else the last, elided in
// the middle.
QString fittingWording(const QStringList& wordings, const QFontMetrics& metrics, int width);

// The lines, top to bottom.
enum class StatusLine { system, makam, midi, sound };
inline constexpr int kStatusLines = 4;

class StatusFrame {
  public:
    explicit StatusFrame(QGroupBox* frame);

    // The pitch system in use.
    void setSystem(const QString& name);
    // The makam of the makam box; `placedIn` names the system its strings were placed in when
    // that is not the one its file is written for (Yarman 79).
    void setMakam(const QString& name, const QString& placedIn = {});
    // The state of the MIDI control in full, and shorter for the frame.
    void setMidi(const QString& state, const QString& brief = {});
    void setSoundDriver(const std::string& driver);
    // "Büyüt" stored `stored` but the window takes `used`: the larger did not fit the screen.
    // Told in the MIDI line for `shownMs`, and in the hint for good.
    void setScaleFallback(double stored, double used, int shownMs = 20000);

    bool soundMissing() const { return soundMissing_; }
    // A line as shown, and in full.
    QLabel* line(StatusLine which) const { return lines_[index(which)]; }
    QString fullLine(StatusLine which) const { return full_[index(which)]; }
    QString fullText() const;

  private:
    static std::size_t index(StatusLine which) { return static_cast<std::size_t>(which); }
    // Shows line `which` as the first of `wordings` that fits, `full` in the hint.
    void show(StatusLine which, const QStringList& wordings, const QString& full);
    void showMidi();

    QGroupBox* frame_;
    std::array<QLabel*, kStatusLines> lines_{};
    std::array<QString, kStatusLines> full_;
    QStringList midiWordings_;
    QString notice_;     // shown in the MIDI line while it lasts
    QString noticeFull_; // kept in the hint
    bool soundMissing_ = false;
    bool driverKnown_ = false;
    std::string driver_;
};

} // namespace zembera
