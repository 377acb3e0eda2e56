// The makam, recording and melody frames and the scratch files when the program folder is not
// writable (a second user): the user's own files lie in a folder of their own and win over
// bundled ones.

#include <gtest/gtest.h>

#include "files/makam_file.h"
#include "files/makam_handlers.h"
#include "files/makam_list.h"
#include "files/melody_handlers.h"
#include "files/record_file.h"
#include "files/record_handlers.h"
#include "files_rig.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;
using test::writeBytes;

class UserFolder : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        user = dir / "kullanıcı";
        fs::create_directories(user / "wavs");
    }
    fs::path user;
};

TEST_F(UserFolder, TheUsersFilesAreFoundFirstAndWrittenThere) {
    parts->folders = DataFolders{dir, user};
    parts->recordFolder = user / "wavs";
    MakamHandlers makam(*parts);
    const PerString16 bundled{0, 0, 0, 2}, own{0, 0, 0, -4};
    writeBytes(dir / "Rast.mkm", makamFileText(bundled));
    writeBytes(dir / "Hicaz.mkm", makamFileText(bundled));
    writeBytes(user / "Rast.mkm", makamFileText(own));
    for (const char* file : {"Rast.mkm", "Hicaz.mkm"}) {
        st().mandalPos = PerString16{};
        makam.makamListClick(file);
        EXPECT_EQ(st().mandalPos[3], file[0] == 'R' ? -4 : 2) << file;
    }
    controls.makamNameBox = "Benim";
    makam.save_buton_Click();
    EXPECT_EQ(fileBytes(user / "Benim.mkm"), makamFileText(st().mandalPos));
    EXPECT_FALSE(fs::exists(dir / "Benim.mkm"));
    EXPECT_EQ(makamFileNames(parts->files()),
              (std::vector<std::string>{"Benim.mkm", "Hicaz.mkm", "Rast.mkm"}));

    // One quarter note of melody note 0 (string 4), or of note 15 (string 12).
    MelodyHandlers melody(*parts);
    writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\r\n");
    writeBytes(user / "ezgi.ses", "0,15,3,0,0,0,0,0,0,0\r\n");
    writeBytes(dir / "örnek.ses", "0,0,3,0,0,0,0,0,0,0\r\n");
    st().vscrollValue = 40;
    for (const char* name : {"ezgi", "örnek"}) {
        controls.melodyNameBox = name;
        melody.aç_kapa_buton_Click();
    }
    EXPECT_EQ(sound.plays(), (test::Plays{{12, 0}, {4, 0}}));

    RecordHandlers record(*parts);
    record.rec_buton_Click();
    st().lastString = 9;
    st().mandalPos[9] = -4;
    record.stop_buton_Click();
    EXPECT_EQ(fileBytes(user / "wavs" / kRecordFileName), recordLine(9, -4, 0));
    EXPECT_FALSE(fs::exists(dir / "wavs" / kRecordFileName));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(UserFolder, ScratchFilesGoToTheUsersSampleFolderAndAWritableProgramFolderKeepsThem) {
    for (const bool separate : {true, false}) {
        const fs::path scratch = separate ? user / "wavs" : dir / "wavs";
        const fs::path untouched = separate ? dir / "wavs" : user / "wavs";
        fs::remove_all(user / "wavs");
        fs::create_directories(user / "wavs");
        for (int s = 1; s <= kStringCount; ++s)
            fs::remove(dir / "wavs" / StringSounds::scratchFileName(s));
        auto loaded =
            loadProgram(separate ? DataFolders{dir, user} : DataFolders{dir, dir}, messages);
        ASSERT_FALSE(loaded.fatal);
        EXPECT_EQ(loaded.program->recordFolder, scratch);
        loaded.program->sounds->writeScratchFiles();
        for (int s : {1, 12, 26}) {
            const std::string name = StringSounds::scratchFileName(s);
            EXPECT_EQ(loaded.program->sounds->scratchSound(s).file, scratch / name);
            EXPECT_TRUE(fs::exists(scratch / name)) << name;
            EXPECT_FALSE(fs::exists(untouched / name)) << name;
        }
    }
}

} // namespace
} // namespace zembera
