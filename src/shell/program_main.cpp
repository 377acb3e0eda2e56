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

#include "audio_device/sdl_backend.h"
#include "common/data_folders.h"
#include "common/safe_write.h"
#include "loader/startup_loader.h"
#include "midi/midi_player.h"
#include "midi/mpe_notes.h"
#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "shell/midi_control.h"
#include "shell/qt_messages.h"
#include "shell/single_instance.h"
#include "shell/splash_window.h"
#include "shell/status_frame.h"
#include "shell/turkish_translation.h"
#include "shell/x11_auto_repeat.h"
#include "sound/sound_service.h"

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

std::optional<std::string> missingDisplay() {
    // A platform chosen by hand (offscreen, a VNC, ...) needs no display of its own.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return std::nullopt;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::nullopt;
    return std::string("ekran bulunamadı (DISPLAY ve WAYLAND_DISPLAY tanımlı değil): pencere "
                       "açılamıyor.\nPencere olmadan: zembera --render <ezgi> <çıktı.wav> ya da "
                       "zembera --rapor");
}

void removeStaleTemporaries(const DataFolders& folders, const std::string& sampleFolderName) {
    for (const std::filesystem::path& folder :
         {folders.user, folders.user / sampleFolderName, folders.program,
          folders.program / sampleFolderName}) {
        zembera::removeStaleTemporaries(folder);
    }
}

int runWindowProgram(int argc, char** argv) {
    // Without a display the toolkit would abort; say so instead.
    if (const auto missing = missingDisplay()) {
        std::fprintf(stderr, "zembera: %s\n", missing->c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEMBERA"));
    installTurkishTranslation();
    // Held keys repeat without false releases where the X server can; the key hook copes with
    // them anyway.
    requestDetectableAutoRepeat();
    QtMessages messages;

    SingleInstance instance;
    if (!instance.acquire()) {
        messages.show("ZEMBERA  zaten çalışıyor");
        return 1;
    }
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
    auto backend = std::make_unique<SdlBackend>();
    const SdlBackend& device = *backend;
    SoundService sound(std::move(backend));
    // Every note also goes out as MPE while that output is switched on in the MIDI control.
    LoadedProgram& program = *loaded.program;
    MpeNotes mpe;
    sound.notes().add(mpe);
    MainWindow window(program, sound, messages, &sound.notes());
    messages.setParent(&window);
    window.status().setSoundDriver(device.driverName());

    KeyHook keys(
        &window, [&window](int key) { window.player().Form_KeyDown(key); },
        [&window](int key) { window.player().Form_KeyUp(key); });
    keys.setStrikeHandler([&window](int key) { window.keyStrike(key); });
    app.installEventFilter(&keys);
    // A MIDI keyboard plays the strings beside the computer keyboard and the mouse.
    const PatchedSampleSource midiSource{program.sampleFolder, program.samples.sampleFileName,
                                         program.tables, program.tuning.tuningOffset};
    MidiPlayer midiPlayer(MidiPlayerParts{program.instrument, program.tables, *program.sounds,
                                          midiSource, sound, window, &sound.notes()});
    MidiControl midi(&window, midiPlayer, mpe);
    placeMidiControl(midi);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.setSessionEnding(true); });
    // Sounds that finished are released on this thread, between events.
    QTimer housekeeping;
    QObject::connect(&housekeeping, &QTimer::timeout, [&sound, &window, &device, &midi] {
        sound.pump();
        window.status().setSoundDriver(device.driverName()); // a device lost or found meanwhile
        window.status().setMidi(midi.status->text());
    });
    housekeeping.start(100);
    // The MPE note-off of a note whose sound ran out follows within a few milliseconds.
    QTimer mpeEnds;
    QObject::connect(&mpeEnds, &QTimer::timeout, [&mpe, &sound, &program] {
        mpe.endFinishedNotes([&sound, &program](int voice) {
            return voice == kMemoryVoice ? sound.memorySounding()
                                         : sound.aliasSounding(program.samples.mciAlias[voice]);
        });
        sound.endRunOutBesideNotes(); // a chord's notes, ended by the sound service itself
    });
    mpeEnds.start(10);

    window.show();
    window.instrumentPicture->setFocus();
    splash.reset();
    // The letter keys' scratch files are written once the window is up rather than on the first
    // press of each key; a key pressed before then plays its sound from memory all the same.
    QTimer::singleShot(0, &window, [&loaded] { loaded.program->sounds->writeScratchFiles(); });
    QTimer::singleShot(0, &window, [&midiPlayer] { midiPlayer.prepareBlackKeys(); });
    // For the start-up benchmark: end as soon as the window has been shown.
    if (qEnvironmentVariableIsSet("ZEMBERA_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [] { QApplication::exit(0); });
    }
    return app.exec();
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
        const auto image = p.sounds->stringSound(s);
        std::printf(
            "%02d %-3s %-3s mandal %3d..%-3d açık %10.4f cent  derece %4d  %s  %s  %zu bayt\n", s,
            p.keyNames[s].c_str(), p.samples.mciAlias[s].c_str(), p.instrument.mandalMin[s],
            p.instrument.mandalMax[s], p.tables.centTable(s, 0), p.tables.stringDegree(s, 0),
            p.tables.degreeName(s, 0).c_str(), p.samples.sampleFileName[s].c_str(),
            image ? image->size() : std::size_t{0});
    }
    std::printf("Seçili tel %d, ahenk %d; yükleme %.1f ms\n", p.instrument.currentString,
                p.tuning.ahenkIndex, ms);
    return 0;
}

} // namespace zembera
