#include "files/makam_handlers.h"

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "files/text_file.h"
#include "tuning/pitch_levels.h"

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
    c.setMakamName(withoutLastCharacters(fileName, 4));

    const std::optional<std::string> text = readTextFile(p_.files().find(pathFromUtf8(fileName)));
    try {
        if (!text) throw FormatError(fileName, 1, "dosya açılamadı");
        readMakamPositions(*text, fileName, st, [&](int k, std::int16_t position) {
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
    const auto file = makamFilePath(p_.files().user, name);
    if (!replaceFileAtomically(file, makamFileText(p_.instrument.mandalPos))) {
        p_.messages.show(kMakamNotWritten + name + kMakamExtension);
    }
    c.refreshMakamList();
    c.focusInstrument();
}

} // namespace zembera
