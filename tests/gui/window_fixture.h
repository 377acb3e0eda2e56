#pragma once
// The main window over a throw-away program folder, recorded messages and sound, and the key hook.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "support/golden_image.h"
#include "support/gui_application.h"
#include "support/pixels.h"
#include "support/program_folder.h"

namespace zembera::test {

inline constexpr QRgb kGreen = qRgb(0, 255, 0);

// Keeps what the window asks of the sound output.
class FakeSound : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr&, std::uint32_t) override { ++images; }
    bool MciOpenPlay(const std::string&, const std::string& alias) override {
        opened.push_back(alias);
        return true;
    }
    void MciStopClose(const std::string& alias) override { closed.push_back(alias); }
    void PlayPatchedSample(const PatchedSampleSource&, int s, int m) override {
        patched.emplace_back(s, m);
    }
    void StopAllSound() override { ++stops; }
    int images = 0;
    int stops = 0;
    std::vector<std::string> opened, closed;
    std::vector<std::pair<int, int>> patched; // string, mandal
};

// Whether row s of the key map and mandal number column (mandalColumn) holds a pixel of `color`
// between x0 and x1, in the `height` rows from the top of the row.
inline bool columnRowHas(const MainWindow& w, int s, int x0, int x1, QRgb color, int height = 17) {
    const CanvasImage& c = w.mandalColumn->canvas();
    const int top = 2 + 15 * (s - 1);
    for (int y = top; y < top + height; ++y) {
        for (int x = x0; x <= x1; ++x)
            if (c.pixel(x, y) == color) return true;
    }
    return false;
}

// Whether every pixel of the picture has `color`.
inline bool allPixels(CanvasWidget* picture, QRgb color) {
    const CanvasImage& c = picture->canvas();
    return countColor(c, color) == c.width() * c.height();
}

class WindowFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureGuiApplication<QApplication>(); }

    virtual void prepareFolder() {} // runs before the program is loaded
    virtual int sampleFrames() const { return 2000; }
    virtual SoundOutput& output() { return sound; } // what the window plays through

    // Copies files of the built program folder (the real pitch table, the glyph sheet).
    void useBundled(std::initializer_list<const char*> names) {
        for (const char* name : names)
            std::filesystem::copy(std::filesystem::path(ZEMBERA_PROGRAM_DIR) / name, dir / name,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
    }

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / "zembera_window";
        makeProgramFolder(dir, sampleFrames());
        prepareFolder();
        openWindow();
    }

    // Loads the program from `dir` and shows its window, as a start of the program does.
    void openWindow() {
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        window = std::make_unique<MainWindow>(*program, output(), messages);
        hook = std::make_unique<KeyHook>(
            window.get(), [this](int k) { window->player().Form_KeyDown(k); },
            [this](int k) { window->player().Form_KeyUp(k); });
        hook->setStrikeHandler([this](int k) { window->keyStrike(k); });
        qApp->installEventFilter(hook.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->instrumentPicture->setFocus();
    }

    void TearDown() override {
        closeWindow();
        std::filesystem::remove_all(dir);
    }

    void closeWindow() {
        qApp->removeEventFilter(hook.get());
        messages.answer = true;
        window.reset();
    }

    QWindow* handle() { return window->windowHandle(); }
    // Lets a key release become final: the hook waits a moment for an auto-repeat press.
    static void settleRelease() { QTest::qWait(2 * KeyHook::kReleaseSettleMs); }
    PerString<std::int16_t>& pos() { return program->instrument.mandalPos; }
    static void click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, 8));
    }
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string fileBytes(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Clicks the entry `text` of an open file list.
    static void chooseListEntry(QListWidget* list, const QString& text) {
        const auto items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items[0]).center());
    }

    // Logs the selection, what was played, stopped, told and asked since the line before, the
    // lamps, which buttons and frames are enabled, and whether the instrument has the focus.
    void note(const std::string& what) {
        const auto list = [this](const std::vector<std::string>& items) {
            QString text;
            // The test's folder differs from run to run.
            for (const std::string& item : items)
                text += " [" +
                        QString::fromStdString(item)
                            .replace(QString::fromStdString(dir.string()), QStringLiteral("<dir>"))
                            .replace('\n', " / ") +
                        "]";
            return text.toStdString();
        };
        const auto enabled = [](std::initializer_list<QWidget*> widgets) {
            std::string flags = " ";
            for (QWidget* w : widgets)
                flags += w->isEnabled() ? '1' : '0';
            return flags;
        };
        const auto lamp = [](CanvasWidget* w) {
            return allPixels(w, kRed) ? " kırmızı" : allPixels(w, kGreen) ? " yeşil" : " beyaz";
        };
        const MainWindow& w = *window;
        log << what << ": tel " << program->instrument.currentString << ", ses " << sound.images
            << ", durdur " << sound.stops << ", açılan" << list(sound.opened) << ", çalınan";
        for (auto [s, m] : sound.patched)
            log << " " << s << ":" << m;
        log << ", mesaj" << list(messages.shown) << ", soru" << list(messages.asked) << ", lambalar"
            << lamp(w.recordLamp) << lamp(w.replayLamp) << ", düğmeler"
            << enabled({w.Play_buton, w.rec_buton, w.stop_buton, w.pause_buton})
            << enabled({w.recordFrame, w.pitchLevelFrame, w.resetFrame, w.makamFrame, w.melodyFrame,
                        w.emptyFrame, w.octaveFrame})
            << ", çalgıda odak " << w.instrumentPicture->hasFocus() << "\n";
        sound.images = sound.stops = 0;
        sound.opened.clear();
        sound.patched.clear();
        messages.shown.clear();
        messages.asked.clear();
    }

    std::ostringstream log;
    std::filesystem::path dir;
    RecordedMessages messages;
    FakeSound sound;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<KeyHook> hook;
};

} // namespace zembera::test
