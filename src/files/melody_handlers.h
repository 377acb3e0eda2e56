#pragma once
// The melody frame: choosing a melody file in the list File3 and playing it (yürüt10), started
// and stopped with aç_kapa_buton.
//
// Thread: UI thread only. The player is a loop that lets the window handle its events once per
// record, so aç_kapa_buton_Click runs from inside yürüt10 to end it.

#include <string>

#include "files/files_parts.h"
#include "files/melody_file.h"

namespace zembera {

class MelodyHandlers {
  public:
    explicit MelodyHandlers(FilesParts& parts) : p_(parts) {}

    // Shows the list of melody files.
    void open_ses_buton_Click();
    // Takes the chosen file name less its ".ses" into Text2.
    void File3_Click(const std::string& fileName);
    // Plays the melody named in Text2, or ends the one playing before its next record.
    void aç_kapa_buton_Click();
    // Plays the melody file named in Text2 to its end, to a stop or to a fault.
    void yürüt10();

  private:
    // Sounds one note of the melody and waits for its length.
    void playNote(const MelodyRecord& record, int units);
    void finish();

    FilesParts& p_;
};

} // namespace zembera
