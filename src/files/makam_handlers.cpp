#include "files/makam_handlers.h"

#include <exception>
#include <optional>

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

bool MakamHandlers::makamListClick(const std::string& fileName) {
    FilesView& c = p_.controls;
    InstrumentState& st = p_.instrument;
    c.hideMakamList();
    // The whole file is read and placed first: a file that cannot be loaded changes nothing.
    PerString<std::int16_t> filePositions{};
    PerString<std::int16_t> positions{};
    try {
        const TextRead read = readTextFileOrReason(p_.files().find(pathFromUtf8(fileName)));
        if (!read.text) throw FormatError(fileName, 0, read.problem);
        filePositions = readMakamFile(*read.text, fileName);
        positions = p_.makamSystem ? p_.makamSystem->fromFile(filePositions) : filePositions;
    } catch (const FormatError& fault) {
        p_.messages.show(makamFaultMessage(fault.what()));
        c.focusInstrument();
        return false;
    } catch (const std::exception& e) {
        p_.messages.show(e.what());
        c.focusInstrument();
        return false;
    }
    // Makam files hold positions of the untransposed view at the reference pitch level.
    if (c.settingSwitchSelected(2)) c.selectSetting(1);
    if (!c.pitchLevelSelected(kReferenceLevel)) c.selectPitchLevel(kReferenceLevel);
    // Already at the reference level, a degree shift may still stand: it goes back to 0 too, so no
    // red column of the old setting outlives the load.
    c.setDegreeShift(0);
    c.setMakamName(decodeText(withoutLastCharacters(fileName, 4)));
    for (int k = 1; k <= kStringCount; ++k) {
        st.mandalPos[k] = positions[k];
        p_.view.arıza_yaz(k);
        if (k == st.currentString) {
            p_.view.mandal_at();
            p_.view.porte();
            p_.view.etiket();
        }
    }
    if (p_.makamSystem) p_.makamSystem->loaded(filePositions);
    c.focusInstrument();
    return true;
}

bool MakamHandlers::save_buton_Click() {
    FilesView& c = p_.controls;
    const std::string name = c.makamName();
    if (const auto problem = makamNameProblem(name)) {
        p_.messages.show(*problem);
        c.focusInstrument();
        return false;
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
        return false;
    }
    // Written in the bundled table's positions, as every makam file is.
    std::optional<std::string> failure;
    try {
        const PerString<std::int16_t>& sounding = p_.instrument.mandalPos;
        failure = replaceFile(
            file, makamFileText(p_.makamSystem ? p_.makamSystem->toFile(sounding) : sounding));
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure) p_.messages.show(kMakamNotWritten + fileName + "\n" + *failure);
    c.refreshMakamList();
    c.focusInstrument();
    return !failure;
}

} // namespace zembera
