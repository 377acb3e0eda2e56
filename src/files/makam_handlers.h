#pragma once
// The makam frame: saving the mandal setting under the name in the makam name box and loading a
// makam chosen in the makam list.
//
// Thread: UI thread only. A load runs the click handlers of the setting switch and the pitch-level
// buttons from inside it.

#include <string>

#include "files/files_parts.h"

namespace zembera {

class MakamHandlers {
  public:
    explicit MakamHandlers(FilesParts& parts) : p_(parts) {}

    // open_buton_Click: shows the list of makam files.
    void open_buton_Click();
    // Loads the makam file `fileName` (a name of the list, with its ".mkm") of the program
    // folder at the reference pitch level and in the untransposed view, each string where the
    // system in use sounds nearest the file's position in the bundled table. A file that cannot
    // be read whole is told (its name, line and fault) and changes nothing. True when loaded.
    bool makamListClick(const std::string& fileName);
    // save_buton_Click: stores mandalPos(1..26), in the bundled table's positions, under the name
    // in the makam name box, replacing a file of that name. True when the file was written.
    bool save_buton_Click();

  private:
    FilesParts& p_;
};

} // namespace zembera
