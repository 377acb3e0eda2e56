#include "shell/program_main.h"

#include <QApplication>
#include <QLabel>
#include <QStandardPaths>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "audio_device/sdl_device.h"
#include "common/data_folders.h"
#include "common/safe_write.h"
#include "common/user_lock.h"
#include "engine/engine.h"
#include "loader/startup_loader.h"
#include "midi/midi_player.h"
#include "midi/mpe_notes.h"
#include "shell/canvas_widget.h"
#include "shell/display_probe.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "shell/midi_control.h"
#include "shell/platform_sound.h"
#include "shell/qt_messages.h"
#include "shell/qt_settings_store.h"
#include "shell/session_memory.h"
#include "shell/splash_window.h"
#include "shell/status_frame.h"
#include "shell/turkish_translation.h"
#include "shell/window_scale.h"
#include "shell/x11_auto_repeat.h"

namespace zembera {

std::filesystem::path programFolder(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return bundledDataFolder(self.parent_path());
    return bundledDataFolder(std::filesystem::absolute(argv0).parent_path());
}

std::filesystem::path userDataFolder() {
    QCoreApplication::setApplicationName(QStringLiteral("ZEMBERA"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return std::filesystem::path(folder.toStdString());
}

void removeStaleTemporaries(const DataFolders& folders, const std::string& sampleFolderName) {
    for (const std::filesystem::path& folder :
         {folders.user, folders.user / sampleFolderName, folders.program,
          folders.program / sampleFolderName}) {
        zembera::removeStaleTemporaries(folder);
    }
}

int runWindowProgram(int argc, char** argv, const std::vector<std::string>& files) {
    // Without a display the toolkit would abort; say so instead.
    const std::unique_ptr<QApplication> app = openDisplay(argc, argv);
    if (!app) return 1;
    QApplication::setApplicationName(QStringLiteral("ZEMBERA"));
    installTurkishTranslation();
    // Held keys repeat without false releases where the X server can; the key hook copes with
    // them anyway.
    requestDetectableAutoRepeat();
    QtMessages messages;

    // One copy per user folder, whatever the runtime folder.
    const UserLock instance(userDataFolder());
    if (instance.state() == UserLock::State::heldElsewhere) {
        messages.show("ZEMBERA  zaten çalışıyor"); // two blanks, as the message has always read
        return 1;
    }
    if (instance.state() == UserLock::State::unguarded)
        std::fprintf(stderr, "zembera: tek kopya denetimi yapılamadı: %s\n",
                     instance.problem().c_str());
    const std::filesystem::path folder = programFolder(argv[0]);
    auto splash =
        std::make_unique<SplashWindow>(QString::fromStdString((folder / "logo.png").string()));
    splash->show();
    QApplication::processEvents();

    const DataFolders folders = chooseDataFolders(folder, userDataFolder(), kSampleFolderName);
    // Temporary files of a run that was killed (its own are removed on SIGINT and SIGTERM).
    removeStaleTemporaries(folders, kSampleFolderName);
    StartupResult loaded = loadProgram(folders, messages);
    if (loaded.fatal) {
        messages.show(*loaded.fatal);
        return 1;
    }
    // The device takes the engine to its rate before the samples are given, so that each is
    // converted once.
    LoadedProgram& program = *loaded.program;
    engine::Engine engine;
    SdlDevice device(engine);
    giveSamples(program, engine);
    PlatformSound sound(engine, device, program);
    // Every note also goes out as MPE while that output is switched on in the MIDI control.
    MpeNotes mpe;
    sound.notes().add(mpe);
    MainWindow window(program, sound, messages);
    messages.setParent(&window);
    window.status().setSoundDriver(device.driverName());

    KeyHook keys(
        &window, [&window](int key) { window.player().Form_KeyDown(key); },
        [&window](int key) { window.player().Form_KeyUp(key); });
    keys.setStrikeHandler([&window](int key) { window.keyStrike(key); });
    app->installEventFilter(&keys);
    // A MIDI keyboard plays the strings beside the computer keyboard and the mouse.
    MidiPlayer midiPlayer(MidiPlayerParts{program.instrument, program.tables,
                                          program.tuning.tuningOffset, sound, window});
    MidiControl midi(&window, midiPlayer, mpe);
    placeMidiControl(midi);
    window.orderTabs(&midi);
    midi.onStatus = [&window](const QString& full, const QString& brief) {
        window.status().setMidi(full, brief);
    };
    midi.rescan(); // shown at once
    // What the last run left, and what this one leaves for the next.
    QtSettingsStore settings(userSettings());
    window.setSettings(settings);
    SessionMemory memory(window, settings, &midi);
    QObject::connect(app.get(), &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.setSessionEnding(true); });
    // A device lost or found meanwhile shows in the status frame.
    QTimer status;
    QObject::connect(&status, &QTimer::timeout,
                     [&window, &device] { window.status().setSoundDriver(device.driverName()); });
    status.start(100);
    // Notes the engine is done with are released on this thread, and the MPE output hears of
    // the notes handed over ahead and of those that ran out within a few milliseconds.
    QTimer housekeeping;
    QObject::connect(&housekeeping, &QTimer::timeout, [&sound] { sound.pump(); });
    housekeeping.start(10);

    window.show();
    window.instrumentPicture->setFocus();
    splash.reset();
    // The letter keys' scratch files are written once the window is up rather than on the first
    // press of each key; a key pressed before then plays its sound from memory all the same.
    QTimer::singleShot(0, &window, [&sound] { sound.writeScratchFiles(); });
    QTimer::singleShot(0, &window, [&midiPlayer] { midiPlayer.prepareBlackKeys(); });
    // Restored and opened once the window is up, so that their messages have a window.
    QTimer::singleShot(0, &window, [&window, &memory, files] {
        memory.restore();
        for (const std::string& file : files)
            window.openFile(file);
    });
    // For the start-up benchmark: end as soon as the window has been shown.
    if (qEnvironmentVariableIsSet("ZEMBERA_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, app.get(), [] { QApplication::exit(0); });
    }
    const int code = QApplication::exec();
    memory.save();
    return code;
}

int runReport(const std::filesystem::path& folder) {
    const auto started = std::chrono::steady_clock::now();
    StderrMessages messages;
    auto result = loadProgram(folder, messages);
    if (result.fatal) {
        messages.show(*result.fatal);
        return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    const LoadedProgram& p = *result.program;
    engine::Engine engine;
    giveSamples(p, engine);
    std::printf("ZEMBERA: program klasörü %s\n", p.programFolder.string().c_str());
    if (!folderWritable(folder) || !folderWritable(folder / kSampleFolderName) ||
        !folderOwnedBySelf(folder)) {
        std::printf("Program klasörü yazılamıyor; kullanıcı dosyaları: %s\n",
                    userDataFolder().string().c_str());
    }
    std::printf("Perde tablosu %s okundu; oktav bölümü: %s / %s\n", p.tableFileName.c_str(),
                p.tables.octaveDivisionCaptions[0].c_str(),
                p.tables.octaveDivisionCaptions[1].c_str());
    for (int s = 1; s <= kStringCount; ++s) {
        std::printf(
            "%02d %-3s %-3s mandal %3d..%-3d açık %10.4f cent  derece %4d  %s  %s  %zu bayt\n", s,
            p.keyNames[s].c_str(), p.samples.mciAlias[s].c_str(), p.instrument.mandalMin[s],
            p.instrument.mandalMax[s], p.tables.centTable(s, 0), p.tables.stringDegree(s, 0),
            p.tables.degreeName(s, 0).c_str(), p.samples.sampleFileName[s].c_str(),
            stringSoundBytes(p, engine, s));
    }
    std::printf("Seçili tel %d, ahenk %d; yükleme %.1f ms\n", p.instrument.currentString,
                p.tuning.ahenkIndex, ms);
    return 0;
}

} // namespace zembera
