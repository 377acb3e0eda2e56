#include "loader/command_line.h"

namespace zembera {

Command parseCommandLine(const std::vector<std::string>& a) {
    Command c;
    const auto wrong = [&c](std::string problem) {
        c.mode = Command::Mode::wrong;
        c.problem = std::move(problem);
        return c;
    };
    if (a.empty()) return c;
    if (a[0] == "--help" || a[0] == "-h") {
        c.mode = a.size() == 1 ? Command::Mode::help : Command::Mode::wrong;
        if (a.size() > 1) c.problem = a[0] + " başka argüman almaz";
        return c;
    }
    if (a[0] == "--version") {
        if (a.size() > 1) return wrong("--version başka argüman almaz");
        c.mode = Command::Mode::version;
        return c;
    }
    if (a[0] == "--rapor") {
        if (a.size() == 1) {
            c.mode = Command::Mode::report;
            return c;
        }
        if (a.size() == 3 && a[1] == "--sistem") {
            c.mode = Command::Mode::systemReport;
            c.system = a[2];
            return c;
        }
        return wrong("--rapor ardından yalnızca --sistem <ad ya da .scl dosyası> gelebilir");
    }
    if (a[0] == "--render") {
        const bool plain = a.size() == 3;
        const bool withSystem = a.size() == 5 && a[3] == "--sistem";
        if (!plain && !withSystem)
            return wrong("--render bir girdi ve bir çıktı dosyası ister, "
                         "ardından isteğe bağlı --sistem <ad ya da .scl dosyası>");
        c.mode = Command::Mode::render;
        c.input = a[1];
        c.output = a[2];
        if (withSystem) c.system = a[4];
        return c;
    }
    if (a[0] == "--sistem") return wrong("--sistem yalnızca --rapor ya da --render ile kullanılır");
    if (a[0].starts_with('-')) return wrong("bilinmeyen seçenek: " + a[0]);
    return wrong("beklenmeyen argüman: " + a[0]);
}

std::string usageText() {
    return "Kullanım:\n"
           "  zembera\n"
           "      Kanunu pencerede açar.\n"
           "  zembera --rapor [--sistem <ad ya da .scl dosyası>]\n"
           "      Pencere açmadan her şeyi yükler ve yüklediğini yazar; --sistem ile o perde\n"
           "      sisteminin raporunu verir.\n"
           "  zembera --render <girdi> <çıktı.wav ya da .flac> [--sistem <ad ya da .scl dosyası>]\n"
           "      Pencere açmadan bir parçayı ses dosyasına çalar. Girdi:\n"
           "        .ses                   ezgi\n"
           "        kayıt.txt              kayıt (başlığı SymbTr olmayan .txt)\n"
           "        .txt                   SymbTr notası\n"
           "        .musicxml, .xml, .mxl  MusicXML notası\n"
           "  zembera --help, -h\n"
           "      Bu yardımı yazar.\n"
           "  zembera --version\n"
           "      Sürümü yazar.\n";
}

std::string versionText() {
    return std::string("ZEMBERA ") + ZEMBERA_VERSION + "\n";
}

} // namespace zembera
