#pragma once
// The button "WAV" of the melody frame: its menu writes the melody or the score named in the melody
// name box or the recording "kayıt.txt" to a WAV or FLAC file, rendered offline as the players
// would play it now (the instrument's mandals, the pitch level, the tempo and the options of the
// window). A long piece shows its progress and can be stopped.
//
// Thread: UI thread only.

#include <QString>
#include <filesystem>
#include <functional>
#include <string>

class QPushButton;

namespace zembera {

class MainWindow;
class MessageService;
struct NoteEvents;

inline constexpr const char* kRenderNotWritten = "ses dosyası yazılamadı";
// Between the file's name and the length of its sound: "taksim.wav yazıldı: 3 dk 14 sn".
inline constexpr const char* kRenderWritten = " yazıldı: ";

class RenderControls {
  public:
    RenderControls(MainWindow& window, MessageService& messages);

    // Writes the melody or the score named in the melody name box, or the recording.
    void renderMelody();
    void renderRecording();

    QPushButton* button() const { return button_; }
    // Where to write, given a suggested file; an empty answer writes nothing. A file dialog
    // unless a test answers.
    std::function<QString(const QString& suggested)> askOutputFile;

  private:
    bool idle() const;
    void renderScore(const std::string& name);
    void write(const NoteEvents& piece, const std::filesystem::path& suggested);

    MainWindow& w_;
    MessageService& messages_;
    QPushButton* button_ = nullptr;
};

} // namespace zembera
