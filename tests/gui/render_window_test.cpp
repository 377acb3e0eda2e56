// The button "WAV" of the melody frame writes the melody or the recording to a sound file, as the
// players would play them with the window's settings at that moment.

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <fstream>

#include "files/melody_file.h"
#include "files/record_handlers.h"
#include "render/offline_render.h"
#include "window_fixture.h"

namespace zembera {
namespace {

class RenderWindow : public test::WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window->renderControls().askOutputFile = [this](const QString& suggested) {
            suggestions.push_back(suggested.toStdString());
            return answer;
        };
    }
    void pick(int entry) {
        QMenu* menu = window->renderControls().button()->menu();
        ASSERT_NE(menu, nullptr);
        menu->actions().at(entry)->trigger();
    }
    // A canonical 16-bit mono WAV file of `frames` frames.
    std::uintmax_t wavBytes(double ms) const { return 44 + 2 * frameAt(ms); }

    QString answer;
    std::vector<std::string> suggestions;
};

TEST_F(RenderWindow, WritesTheMelodyAtTheWindowsTempo) {
    std::ofstream(dir / "ezgi.ses") << "0,8,3,0,0,0,0,0,0,0\n0,28,0,0,0,0,0,0,0,0\n";
    window->melodyNameBox->setText("ezgi");
    window->tempoBar->setValue(30);
    answer = QString::fromStdString((dir / "çıktı").string()); // no extension: a WAV file
    pick(0);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(suggestions.size(), 1u);
    EXPECT_EQ(suggestions[0], (dir / "ezgi.wav").string());
    ASSERT_TRUE(std::filesystem::exists(dir / "çıktı.wav"));
    EXPECT_EQ(std::filesystem::file_size(dir / "çıktı.wav"), wavBytes(24 * 30));

    // Not chosen: nothing written, nothing said. Unknown melody: the melody file message.
    answer.clear();
    pick(0);
    window->melodyNameBox->setText("yok");
    pick(0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind(kMelodyFileFault, 0), 0u) << messages.shown[0];
    EXPECT_EQ(suggestions.size(), 2u);
}

TEST_F(RenderWindow, WritesTheScoreNamedInTheMelodyNameBoxAtTheTempoOfTheScrollBar) {
    // A4, a rest and G4 of 200 ms each, stretched by 60 / 40.
    std::ofstream(dir / "kisa.txt", std::ios::binary)
        << "Kod\tNota53\tKoma53\tPay\tPayda\tMs\n9\tLa4\t305\t1\t4\t200\n"
           "9\tEs\t-1\t1\t4\t200\n9\tSol4\t296\t1\t4\t200\n";
    window->melodyNameBox->setText("kisa.txt");
    window->tempoBar->setValue(60);
    answer = QString::fromStdString((dir / "kisa.wav").string());
    pick(0);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    ASSERT_EQ(suggestions.size(), 1u);
    EXPECT_EQ(suggestions[0], (dir / "kisa.wav").string());
    ASSERT_EQ(std::filesystem::file_size(dir / "kisa.wav"), wavBytes(900));
    // The canonical file's frames: each note from its onset, the rest silent.
    std::ifstream in(dir / "kisa.wav", std::ios::binary);
    std::vector<std::int16_t> frames(frameAt(900));
    in.seekg(44);
    in.read(reinterpret_cast<char*>(frames.data()),
            static_cast<std::streamsize>(frames.size() * 2));
    EXPECT_NE(frames[frameAt(1)], 0);
    EXPECT_EQ(frames[frameAt(450)], 0);
    EXPECT_NE(frames[frameAt(601)], 0);

    std::ofstream(dir / "kirik.xml") << "<score-partwise>";
    window->melodyNameBox->setText("kirik.xml");
    pick(0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind("kirik.xml: XML okunamadı", 0), 0u) << messages.shown[0];
    EXPECT_EQ(suggestions.size(), 1u);
}

TEST_F(RenderWindow, WritesTheRecordingOrSaysThereIsNone) {
    answer = QString::fromStdString((dir / "kayıt.flac").string());
    pick(1);
    ASSERT_EQ(messages.shown, std::vector<std::string>{kNoRecording});
    EXPECT_TRUE(suggestions.empty());

    std::ofstream(dir / "wavs" / "kayıt.txt") << " 12 0 300 \r\n 20 0 200 \r\n";
    pick(1);
    EXPECT_EQ(messages.shown.size(), 1u);
    ASSERT_TRUE(std::filesystem::exists(dir / "kayıt.flac"));
    EXPECT_GT(std::filesystem::file_size(dir / "kayıt.flac"), 100u);

    // Not while a recording runs; a folder that cannot be written is said so.
    program->instrument.recording = true;
    pick(1);
    EXPECT_EQ(suggestions.size(), 1u);
    program->instrument.recording = false;
    answer = QString::fromStdString((dir / "yok" / "kayıt.wav").string());
    pick(1);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].rfind(kRenderNotWritten, 0), 0u) << messages.shown[1];
}

} // namespace
} // namespace zembera
