#include "shell/system_controls.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <exception>
#include <string>
#include <system_error>
#include <vector>

#include "common/safe_write.h"
#include "loader/system_switch.h"
#include "model/pitch_levels.h"
#include "shell/canvas_widget.h"
#include "shell/main_window.h"
#include "shell/turkish_file_dialog.h"
#include "systems/system_files.h"
#include "systems/tuning_export.h"

namespace zembera {
namespace {

QPushButton* smallButton(QWidget* parent, const char* caption, const char* name, int left, int top,
                         int width) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(left, top, width, 17);
    return b;
}

// "a.scl, a.kbm ve a.syx"
std::string namesText(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " ve " : ", ") + names[i];
    return text;
}

} // namespace

SystemControls::SystemControls(MainWindow& window, MessageService& messages, QWidget* parent,
                               int left, int top)
    : window_(window), messages_(messages) {
    // Below the staff, clear of the mandal labels along the instrument's slanted edge.
    QFont small = parent->font();
    small.setPixelSize(9);
    auto* caption = new QLabel(QString::fromUtf8(kSystemListCaption), parent);
    caption->setFont(small);
    caption->setGeometry(left, top, 100, 13);
    list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("SesSistemi"));
    list->setFocusPolicy(Qt::NoFocus);
    list->setGeometry(left, top + 14, 104, 19);
    swapButton = smallButton(parent, kSwapCaption, "AB_buton", left, top + 35, 28);
    openButton = smallButton(parent, "Aç", "scl_ac_buton", left + 30, top + 35, 26);
    exportButton = smallButton(parent, "Ver", "scl_ver_buton", left + 58, top + 35, 28);
    for (QPushButton* b : {swapButton, openButton, exportButton})
        b->setFont(small);
    openButton->setToolTip(QString::fromUtf8("Scala dosyası aç (.scl)"));
    exportButton->setToolTip(QString::fromUtf8("Tellerin sesini dışa ver (.scl, .kbm, .syx)"));
    swapButton->setToolTip(QString::fromUtf8("son iki ses sistemi arasında geç"));

    const std::filesystem::path folder = window_.program().programFolder / systems::kSystemsFolder;
    for (const systems::BundledSystem& b : systems::bundledSystems()) {
        entries_.push_back(
            {b.name, folder / b.file, std::nullopt, b.cCents, b.tableFolding, nullptr});
        list->addItem(QString::fromUtf8(b.name));
    }
    QObject::connect(list, &QComboBox::activated, list, [this](int index) {
        choose(index);
        window_.instrumentPicture->setFocus(Qt::OtherFocusReason);
    });
    QObject::connect(swapButton, &QPushButton::clicked, swapButton, [this] {
        swap();
        window_.instrumentPicture->setFocus(Qt::OtherFocusReason);
    });
    QObject::connect(openButton, &QPushButton::clicked, openButton, [this] { askOpen(); });
    QObject::connect(exportButton, &QPushButton::clicked, exportButton, [this] { askExport(); });
    showChoice();
}

SystemControls::~SystemControls() = default;

const systems::PitchSystem* SystemControls::currentSystem() const {
    return entries_[static_cast<std::size_t>(current_)].built.get();
}

const systems::PitchSystem& SystemControls::build(Entry& entry) {
    if (!entry.built) {
        if (!names_) names_ = systems::readDegreeNamer(window_.program().programFolder);
        entry.built = std::make_unique<systems::PitchSystem>(systems::readSystem(
            entry.scl, entry.kbm, *names_, entry.name, entry.cCents, entry.tableFolding));
    }
    return *entry.built;
}

bool SystemControls::choose(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return false;
    try {
        const systems::PitchSystem& system = build(entries_[static_cast<std::size_t>(index)]);
        switcher_.switchSystem(window_.program(), current_, index, system);
    } catch (const std::exception& e) {
        showChoice();
        messages_.show(e.what());
        return false;
    }
    if (index != current_) {
        previous_ = current_;
        current_ = index;
    }
    showChoice();
    redrawWindow();
    switcher_.settle(window_.program());
    return true;
}

void SystemControls::swap() {
    choose(previous_);
}

bool SystemControls::chooseOctaveDivision(int option) {
    return choose(option - 1);
}

// The list and the "oktav" options show the system in use; neither option in a system other
// than the two Yarman ones.
void SystemControls::showChoice() {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(current_);
    for (int option = 1; option <= 2; ++option) {
        QRadioButton* b = window_.octaveDivisionButtons[static_cast<std::size_t>(option)];
        if (b) b->setChecked(current_ == option - 1);
    }
}

bool SystemControls::openScale(const std::filesystem::path& scl) {
    std::filesystem::path kbm = scl;
    kbm.replace_extension(".kbm");
    Entry entry{scl.stem().string(),
                scl,
                std::filesystem::exists(kbm) ? std::optional(kbm) : std::nullopt,
                0.0,
                false,
                nullptr};
    try {
        build(entry);
    } catch (const std::exception& e) {
        messages_.show(e.what());
        return false;
    }
    entries_.push_back(std::move(entry));
    list->addItem(QString::fromStdString(entries_.back().name));
    return choose(static_cast<int>(entries_.size()) - 1);
}

bool SystemControls::exportTo(const std::filesystem::path& stem) {
    const LoadedProgram& p = window_.program();
    const systems::StringCents cents =
        systems::soundingCents(p.tables, p.instrument.mandalPos, p.tuning.tuningOffset);
    const std::string name = stem.stem().string();
    const std::string& system = entries_[static_cast<std::size_t>(current_)].name;
    const systems::ScalaFiles scala = systems::exportScala(cents, name, "ZEMBERA: " + system);
    const std::vector<std::uint8_t> dump = systems::exportMidiTuning(cents, "ZEMBERA");
    std::vector<FileContent> files(3);
    files[0] = {stem, {scala.scl.begin(), scala.scl.end()}};
    files[1] = {stem, {scala.kbm.begin(), scala.kbm.end()}};
    files[2] = {stem, dump};
    files[0].file += ".scl";
    files[1].file += ".kbm";
    files[2].file += ".syx";
    std::vector<std::string> all, existing;
    for (const FileContent& f : files) {
        all.push_back(f.file.filename().string());
        std::error_code error;
        if (std::filesystem::symlink_status(f.file, error).type() !=
            std::filesystem::file_type::not_found)
            existing.push_back(all.back());
    }
    // Any of the three, not only the one the dialog was shown.
    if (!existing.empty() &&
        !messages_.askYesNo(namesText(existing) + " var; " +
                            (existing.size() == 1 ? "yerine" : "yerlerine") + " yazılsın mı?")) {
        return false;
    }
    // All three or none: a failure leaves the old files as they were.
    if (const auto failure = replaceFiles(files)) {
        messages_.show(name + " dosyaları yazılamadı:\n" + *failure);
        return false;
    }
    const std::filesystem::path folder = stem.parent_path();
    messages_.show(namesText(all) + " yazıldı" +
                   (folder.empty() ? std::string(".") : " (" + folder.string() + ")."));
    return true;
}

// The instrument, its mandal strip, staff, panel and column in the new system; a transposed
// setting shown is transposed again, in the new system's degrees.
void SystemControls::redrawWindow() {
    MainWindow& w = window_;
    LoadedProgram& p = w.program();
    if (w.settingSwitch[2]->isChecked() &&
        (p.tuning.ahenkIndex != kReferenceLevel || w.degreeShiftBar->value() != 0)) {
        w.tuningHandlers().trans_çalgı(p.tuning.ahenkIndex, w.degreeShiftBar->value());
    }
    w.tel_çiz();
    if (p.instrument.currentString != 0) {
        w.mandal_at();
        w.porte();
        w.etiket();
    }
    for (int s = 1; s <= kStringCount; ++s)
        w.arıza_yaz(s);
}

void SystemControls::askOpen() {
    // Opens in the folder of the bundled systems, where the Scala files are.
    const std::filesystem::path folder = window_.program().programFolder / systems::kSystemsFolder;
    const QString file = askOpenFileName(&window_, QString::fromUtf8("Scala dosyası aç"),
                                         QString::fromStdString(folder.string()),
                                         QString::fromUtf8("Scala dizileri (*.scl)"));
    if (!file.isEmpty()) openScale(file.toStdString());
    window_.instrumentPicture->setFocus(Qt::OtherFocusReason);
}

void SystemControls::askExport() {
    // Suggested in the user's folder, where the program's own files are saved.
    const std::filesystem::path suggested = window_.program().folders.user / "zembera.scl";
    QString file = askSaveFileName(&window_, QString::fromUtf8("Tellerin sesini ver"),
                                   QString::fromStdString(suggested.string()),
                                   QString::fromUtf8("Scala dizileri (*.scl)"),
                                   /*confirmOverwrite=*/false);
    if (!file.isEmpty()) {
        std::filesystem::path stem = file.toStdString();
        stem.replace_extension();
        exportTo(stem);
    }
    window_.instrumentPicture->setFocus(Qt::OtherFocusReason);
}

} // namespace zembera
