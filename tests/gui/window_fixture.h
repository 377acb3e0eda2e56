#pragma once
// The main window over a throw-away program folder, recorded messages and sound, and the key hook.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "shell/platform_sound.h"
#include "support/golden_image.h"
#include "support/gui_application.h"
#include "support/pixels.h"
#include "support/program_folder.h"

namespace zembera::test {

inline constexpr QRgb kGreen = qRgb(0, 255, 0);

// Keeps what the window asks of the sound, as the original platform's calls it stands for: a
// string's image on the memory channel, its stop, a letter key's alias opened and closed, a
// player's note. Each call counts when its frame comes on the fake's clock, the steady clock at
// 44100 frames a second: a note handed over ahead counts once it sounds.
class FakeSound : public SoundPort {
  public:
    FakeSound() { clock.start(); }
    bool startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) override {
        pending.push_back({true, voice, note, at.value_or(nowFrame()), !at});
        settle();
        return true;
    }
    void endNote(Voice voice, std::optional<SoundFrame> at) override {
        pending.push_back({false, voice, {}, at.value_or(nowFrame()), !at});
        settle();
    }
    // What is handed over for a frame not played yet is dropped, also on the very frame played to:
    // it would have started with the next block.
    void cancelScheduled() override {
        const SoundFrame now = nowFrame();
        std::erase_if(pending, [&](const Call& c) { return !c.now && c.frame >= now; });
        settle();
    }
    SoundFrame playedFrame() override {
        settle();
        return nowFrame();
    }
    SoundFrame nextFrame() override { return playedFrame(); }
    double frameRate() const override { return 44100; }
    SoundFrame nowFrame() const { return clock.nsecsElapsed() * 441 / 10'000'000; }

    // Counts the calls whose frame has come, in frame order.
    void settle() {
        std::stable_sort(pending.begin(), pending.end(),
                         [](const Call& a, const Call& b) { return a.frame < b.frame; });
        // A note handed over for a frame sounds once the sound has played that frame; one asked for
        // at once, with the next block.
        const SoundFrame now = nowFrame();
        std::size_t n = 0;
        for (; n < pending.size() && (pending[n].now || pending[n].frame < now); ++n)
            count(pending[n]);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
    }

    struct Call {
        bool start = false;
        Voice voice;
        StringNote note;
        SoundFrame frame = 0;
        bool now = false; // asked for at once
    };
    int images = 0;                           // notes of the memory channel from a string's image
    int stops = 0;                            // ends of the memory channel
    std::vector<std::string> opened, closed;  // the strings of their own voices
    std::vector<std::pair<int, int>> patched; // the players' notes: string, mandal
    std::vector<double> startedMs;            // when each note of the memory channel started
    QElapsedTimer clock;
    std::vector<Call> pending;

  protected:
    virtual void count(const Call& c) {
        if (c.voice == Voice::memoryChannel()) {
            if (c.start) startedMs.push_back(static_cast<double>(c.frame) / 44.1);
            if (!c.start)
                ++stops;
            else if (c.note.resampling == Resampling::stepped)
                ++images;
            else
                patched.emplace_back(c.note.string, c.note.position);
        } else if (c.voice.kind == Voice::Kind::string) {
            (c.start ? opened : closed).push_back(std::to_string(c.voice.number));
        }
    }
};

// The window's own sound over an engine that the test renders: what the keys sound, heard.
struct RenderedSound {
    SoundPort& attach(const LoadedProgram& program) {
        giveSamples(program, engine);
        platform = std::make_unique<PlatformSound>(engine, device, program);
        return *platform;
    }
    std::vector<std::int16_t> render(std::size_t frames) {
        std::vector<float> out(frames);
        engine.render(out.data(), nullptr, frames);
        std::vector<std::int16_t> pcm;
        for (const float v : out)
            pcm.push_back(engine::toPcm16(v));
        return pcm;
    }
    engine::Engine engine;
    AudioDevice device; // none: the test renders
    std::unique_ptr<PlatformSound> platform;
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
    virtual SoundPort& output() { return sound; } // what the window plays through

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
    // Until every release held back for its auto-repeat pair is final (late on a busy machine).
    void settleRelease() {
        QTest::qWait(KeyHook::kReleaseSettleMs);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !hook->releaseWaiting(); }, 5000));
    }
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

    std::filesystem::path dir;
    RecordedMessages messages;
    FakeSound sound;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<KeyHook> hook;
};

} // namespace zembera::test
