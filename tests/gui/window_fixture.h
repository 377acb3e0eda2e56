#pragma once
// The main window over a throw-away program folder, with a recorded message service, the sound
// output of the test's choice and the window-level key hook, for tests that drive it with real
// key and mouse events.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <memory>

#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "support/program_folder.h"

namespace zembera::test {

template <typename Sound> class WindowFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_gui";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }

    // Runs before the program is loaded: a test may put other files into the folder.
    virtual void prepareFolder() {}

    // Copies a file of the built program folder (the real pitch table, the glyph sheet).
    void useBundled(const char* name) {
        const auto from = std::filesystem::path(ZEMBERA_PROGRAM_DIR) / name;
        if (std::filesystem::exists(from)) {
            std::filesystem::copy_file(from, dir / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / "zembera_window";
        makeProgramFolder(dir, 2000);
        prepareFolder();
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        window = std::make_unique<MainWindow>(*program, sound, messages);
        hook = std::make_unique<KeyHook>([this](int k) { window->player().Form_KeyDown(k); },
                                         [this](int k) { window->player().Form_KeyUp(k); });
        qApp->installEventFilter(hook.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->Picture2->setFocus();
    }

    void TearDown() override {
        qApp->removeEventFilter(hook.get());
        messages.answer = true;
        window.reset();
        std::filesystem::remove_all(dir);
    }

    QWindow* handle() { return window->windowHandle(); }

    std::filesystem::path dir;
    RecordedMessages messages;
    Sound sound;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<KeyHook> hook;
};

} // namespace zembera::test
