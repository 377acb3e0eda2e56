#pragma once
// The melody frame: choosing a melody file in the melody list and playing it (yürüt10), started
// and stopped with aç_kapa_buton.
//
// Thread: UI thread only. The melody runs on the note player: yürüt10 starts it and returns, and
// each note is drawn and started from the player's timer.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "files/files_parts.h"
#include "files/melody_file.h"
#include "files/played_note.h"

namespace zembera {

class MelodyHandlers {
  public:
    explicit MelodyHandlers(FilesParts& parts) : p_(parts) {}

    // open_ses_buton_Click: shows the list of melody files.
    void open_ses_buton_Click();
    // Takes the chosen file name (its bytes as the folder holds them) less its ".ses" into the
    // melody name box, decoded when not UTF-8 (a file of the old platform); while the box shows
    // that name, the file is opened by its own bytes.
    void melodyListClick(const std::string& fileName);
    // Takes a melody or score file of any folder: the box shows its name (a melody's less its
    // extension) and, while it does, that file is the one played.
    void chooseFile(const std::filesystem::path& file);
    // Plays the melody named in the melody name box, or ends the piece playing at once.
    void aç_kapa_buton_Click();
    // yürüt10: starts the melody file named in the melody name box; it plays to its end, to a
    // stop or to a fault, and the controls come back then.
    void yürüt10();

    // Plays a name in the melody name box that is not a melody file (a score of another program)
    // and returns true; false leaves it to yürüt10. Unset, every name is a melody file.
    std::function<bool(const std::string& name)> playOtherFile;

    // The file name the box's text stands for: the path of a file chosen from a folder, or the
    // bytes of the file chosen from the list, while the box still shows its name; else the text.
    std::string fileNameOf(const std::string& shownName) const;
    // The melody file the box's text stands for; nothing for a name that names none.
    std::optional<std::filesystem::path> melodyFileOf(const std::string& shownName) const;

  private:
    void finish();

    FilesParts& p_;
    std::string chosenShown_; // the box's text after the last choice from the list
    std::string chosenBytes_; // the same name as the folder holds it
    std::optional<std::filesystem::path> chosenPath_; // a file chosen from a folder
};

} // namespace zembera
