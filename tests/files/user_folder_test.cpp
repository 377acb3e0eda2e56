// The makam, recording and melody frames and the scratch files when the program folder is not
// writable: the user's own files lie in a folder of their own and win over bundled ones.

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
        parts->folders = DataFolders{dir, user};
        parts->recordFolder = user / "wavs";
        makam = std::make_unique<MakamHandlers>(*parts);
        record = std::make_unique<RecordHandlers>(*parts);
        melody = std::make_unique<MelodyHandlers>(*parts);
    }
    fs::path user;
    std::unique_ptr<MakamHandlers> makam;
    std::unique_ptr<RecordHandlers> record;
    std::unique_ptr<MelodyHandlers> melody;
};

TEST_F(UserFolder, MakamsAreListedFromBothLoadedFromTheUsersFirstAndSavedToTheUsers) {
    PerString16 bundled{}, own{};
    bundled[3] = 2;
    own[3] = -4;
    writeBytes(dir / "Rast.mkm", makamFileText(bundled));
    writeBytes(dir / "Hicaz.mkm", makamFileText(bundled));
    writeBytes(user / "Rast.mkm", makamFileText(own));

    EXPECT_EQ(makamFileNames(parts->files()), (std::vector<std::string>{"Hicaz.mkm", "Rast.mkm"}));
    const struct {
        const char* file;
        std::int16_t position;
    } loads[] = {{"Rast.mkm", -4}, {"Hicaz.mkm", 2}};
    for (const auto& l : loads) {
        st().mandalPos = PerString16{};
        makam->makamListClick(l.file);
        EXPECT_EQ(st().mandalPos[3], l.position) << l.file;
    }

    st().mandalPos[7] = 5;
    controls.makamNameBox = "Benim";
    makam->save_buton_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fileBytes(user / "Benim.mkm"), makamFileText(st().mandalPos));
    EXPECT_FALSE(fs::exists(dir / "Benim.mkm"));
    EXPECT_EQ(makamFileNames(parts->files()),
              (std::vector<std::string>{"Benim.mkm", "Hicaz.mkm", "Rast.mkm"}));
}

TEST_F(UserFolder, AMelodyOfTheUserHidesTheBundledOneAndABundledOneStillPlays) {
    // One quarter note (code 3) of melody note 0 (string 4), or of note 15 (string 12).
    writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\r\n");
    writeBytes(user / "ezgi.ses", "0,15,3,0,0,0,0,0,0,0\r\n");
    writeBytes(dir / "örnek.ses", "0,0,3,0,0,0,0,0,0,0\r\n");
    st().vscrollValue = 40;
    const struct {
        const char* name;
        int string;
    } melodies[] = {{"ezgi", 12}, {"örnek", 4}};
    for (const auto& m : melodies) {
        controls.melodyNameBox = m.name;
        sound.events.clear();
        melody->aç_kapa_buton_Click();
        EXPECT_TRUE(messages.shown.empty()) << m.name;
        ASSERT_EQ(sound.plays().size(), 1u) << m.name;
        EXPECT_EQ(sound.plays().front().first, m.string) << m.name;
    }
}

TEST_F(UserFolder, TheRecordingGoesToTheUsersSampleFolder) {
    record->rec_buton_Click();
    st().lastString = 9;
    st().mandalPos[9] = -4;
    record->stop_buton_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fileBytes(user / "wavs" / kRecordFileName), recordLine(9, -4, 0));
    EXPECT_FALSE(fs::exists(dir / "wavs" / kRecordFileName));
}

TEST_F(UserFolder, ScratchFilesGoToTheUsersSampleFolderAndAWritableProgramFolderKeepsThem) {
    const struct {
        bool separate;
        fs::path scratchFolder, untouched;
    } cases[] = {
        {true, user / "wavs", dir / "wavs"},
        {false, dir / "wavs", user / "wavs"},
    };
    for (const auto& c : cases) {
        fs::remove_all(user / "wavs");
        fs::create_directories(user / "wavs");
        for (int s = 1; s <= kStringCount; ++s)
            fs::remove(dir / "wavs" / StringSounds::scratchFileName(s));
        auto loaded =
            loadProgram(c.separate ? DataFolders{dir, user} : DataFolders{dir, dir}, messages);
        ASSERT_FALSE(loaded.fatal);
        EXPECT_EQ(loaded.program->recordFolder, c.scratchFolder);
        loaded.program->sounds->writeScratchFiles();
        for (int s : {1, 12, 26}) {
            const std::string name = StringSounds::scratchFileName(s);
            EXPECT_EQ(loaded.program->sounds->scratchSound(s).file, c.scratchFolder / name);
            EXPECT_TRUE(fs::exists(c.scratchFolder / name)) << name;
            EXPECT_FALSE(fs::exists(c.untouched / name)) << name;
        }
    }
}

} // namespace
} // namespace zembera
