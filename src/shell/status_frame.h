#pragma once
// The small frame between the key help and the octave frame: four short lines of what is loaded
// (the pitch system, the makam), what the MIDI input does and whether sound reaches a device.
// Without an audio device the program plays silently; the last line says so in red, and its hint
// tells that the WAV button still writes sound files. The frame is narrow: a line too long ends in
// "…", and the frame's hint holds every line in full.
//
// Thread: UI thread only.

#include <QString>
#include <string>

class QGroupBox;
class QLabel;

namespace zembera {

inline constexpr const char* kNoSoundDeviceLine = "ses yok";
inline constexpr const char* kNoSoundDeviceHint =
    "Ses aygıtı bulunamadı: ZEMBERA sessiz çalıyor. Ezgi ve kayıt yine WAV düğmesiyle ses "
    "dosyasına yazılabilir.";

// Whether the audio driver `driver` (as SDL names it; empty when none opened) reaches a listener:
// SDL's "dummy" driver plays into nothing.
bool soundDeviceMissing(const std::string& driver);

class StatusFrame {
  public:
    explicit StatusFrame(QGroupBox* frame);

    void setSystem(const QString& name);
    void setMakam(const QString& name);
    // The one-line state of the MIDI control ("MIDI yok: …", the port listened to).
    void setMidi(const QString& state);
    void setSoundDriver(const std::string& driver);

    bool soundMissing() const { return soundMissing_; }
    // The lines as shown (elided) and in full.
    QLabel* line(int i) const { return lines_[i]; }
    QString fullText() const;

  private:
    void show(int i, const QString& text);

    QGroupBox* frame_;
    QLabel* lines_[4]{};
    QString full_[4];
    bool soundMissing_ = false;
    bool driverKnown_ = false;
    std::string driver_;
};

} // namespace zembera
