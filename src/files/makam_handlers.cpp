#include "files/makam_handlers.h"

#include "common/safe_write.h"
#include "common/text_fields.h"
#include "files/makam_file.h"
#include "files/text_file.h"
#include "model/pitch_levels.h"

namespace zembera {

void MakamHandlers::open_buton_Click() {
    p_.controls.showMakamList();
    p_.controls.focusInstrument();
}

void MakamHandlers::makamListClick(const std::string& fileName) {
    FilesView& c = p_.controls;
    InstrumentState& st = p_.instrument;
    c.hideMakamList();
    // Makam files hold positions of the untransposed view at the reference pitch level.
    if (c.settingSwitchSelected(2)) c.selectSetting(1);
    if (!c.pitchLevelSelected(kReferenceLevel)) c.selectPitchLevel(kReferenceLevel);
    // Already at the reference level, a degree shift may still stand: it goes back to 0 too, so no
    // red column of the old setting outlives the load.
    c.setDegreeShift(0);
    c.setMakamName(decodeText(withoutLastCharacters(fileName, 4)));

    const TextRead read = readTextFileOrReason(p_.files().find(pathFromUtf8(fileName)));
    try {
        if (!read.text) throw FormatError(fileName, 0, read.problem);
        readMakamPositions(*read.text, fileName, st, [&](int k, std::int16_t position) {
            st.mandalPos[k] = position;
            p_.view.arıza_yaz(k);
            if (k == st.currentString) {
                p_.view.mandal_at();
                p_.view.porte();
                p_.view.etiket();
            }
        });
    } catch (const FormatError& fault) {
        // Strings read before the fault keep their new positions.
        p_.messages.show(makamFaultMessage(fault.what()));
    }
    c.focusInstrument();
}

void MakamHandlers::save_buton_Click() {
    FilesView& c = p_.controls;
    const std::string name = c.makamName();
    if (const auto problem = makamNameProblem(name)) {
        p_.messages.show(*problem);
        c.focusInstrument();
        return;
    }
    const DataFolders& folders = p_.files();
    const std::string fileName = name + kMakamExtension;
    const auto file = makamFilePath(folders.user, name);
    std::error_code error;
    // The user's own file is replaced only when asked; a bundled one never is (with separate
    // folders the user's file goes beside it, in the user's folder, and hides it in the list).
    const bool own = std::filesystem::symlink_status(file, error).type() !=
                     std::filesystem::file_type::not_found;
    const bool bundled = !own && folders.separate() &&
                         std::filesystem::exists(makamFilePath(folders.program, name), error);
    if ((own || bundled) &&
        !p_.messages.askYesNo(own ? fileName + " var; yerine yazılsın mı?"
                                  : fileName +
                                        " programla gelen bir makam; sizin klasörünüze "
                                        "kendi " +
                                        fileName + " dosyanız yazılsın mı?")) {
        c.focusInstrument();
        return;
    }
    if (const auto failure = replaceFile(file, makamFileText(p_.instrument.mandalPos))) {
        p_.messages.show(kMakamNotWritten + fileName + "\n" + *failure);
    }
    c.refreshMakamList();
    c.focusInstrument();
}

} // namespace zembera
