#include "shell/help_window.h"

#include <QDialog>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "scores/score_file.h"

namespace zembera {
namespace {

std::string listed(const std::vector<std::string>& extensions) {
    std::string text;
    for (const std::string& e : extensions)
        text += (text.empty() ? "" : ", ") + e;
    return text;
}

} // namespace

std::string helpText(const std::filesystem::path& userFolder) {
    const std::vector<std::string> scores(std::begin(scores::kScoreExtensions),
                                          std::end(scores::kScoreExtensions));
    return "<h3>Klavye</h3>"
           "<p>Harfler telleri çalar, tuş basılı kaldıkça tel tınlar:<br>"
           "<b>Q W E R T Y U I O P</b>: 1–10. teller (en tizden)<br>"
           "<b>A S D F G H J K L</b>: 11–19. teller<br>"
           "<b>Z X C V B N M</b>: 20–26. teller (en pest)<br>"
           "<b>↑ / ↓</b>: bir tel yukarı / aşağı seçer ve çalar<br>"
           "<b>← / →</b>: seçili telin mandalını indirir / kaldırır<br>"
           "<b>boşluk</b>: son iki ses sistemi arasında geçer (A/B)</p>"
           "<p>Ctrl ya da Alt ile basılan tuşlar tel çalmaz.<br>"
           "<b>Ctrl+O</b>: partisyon ya da ezgi açar &nbsp; <b>Ctrl+Q</b>: çıkar &nbsp; "
           "<b>F1</b>: bu yardım<br>"
           "<b>Tab</b> / <b>Shift+Tab</b>: düğmeler ve kutular arasında gezer; odaktaki "
           "denetim tuşları alır, kanun çalmaz<br>"
           "<b>Escape</b>: yazı kutusundan ya da bir denetimden tuşları kanuna geri verir; açık "
           "listeyi kapatır</p>"
           "<h3>Fare</h3>"
           "<p>Sol tık bir teli çalar; sağ tuş basılıyken teller üzerinde sürüklemek geçtiği "
           "telleri sırayla çalar.<br>"
           "Üstteki mandal şeridine tıklamak seçili telin mandalını oraya getirir.<br>"
           "İnce ayar kutusunun sol yarısı yükseltir, sağ yarısı alçaltır: üstte 2 sent, altta "
           "¼ sent.</p>"
           "<h3>A/B</h3>"
           "<p>\"A/B\" düğmesi ya da boşluk çubuğu son iki ses sistemi arasında geçer: her tel, "
           "çaldığı sese en yakın mandala gider; bir sisteme geri dönülünce, arada bir şey "
           "değişmediyse o sistemin mandalları geri gelir.</p>"
           "<h3>Dosyalar</h3>"
           "<p>Her dosya pencereye sürüklenip bırakılarak, \"zembera DOSYA\" komutuyla ya da "
           "ezgi listesinin \"Aç…\" satırıyla (Ctrl+O) her klasörden açılır; son açılan on dosya "
           "aynı listede \"Son açılanlar\" altında durur.</p><ul>"
           "<li>Partisyonlar (" +
           listed(scores) +
           "; SymbTr .txt): \"Ezgitab dosyası\" çerçevesi. Önce raporu gösterilir, sonra "
           "\"Çal\" ile kanunda çalınır.</li>"
           "<li>Ezgiler (.ses): \"Ezgitab dosyası\" çerçevesi; adı kutuya gelir, \"&gt;\" "
           "çalar.</li>"
           "<li>Kayıtlar (kayıt.txt, SymbTr olmayan .txt): \"Kaydet / Dinlet\" çerçevesi; açılınca "
           "dinletilir.</li>"
           "<li>Scala dizileri (.scl, yanında aynı adlı .kbm): \"Ses sistemi\" listesine eklenir "
           "ve ses sistemi olur.</li>"
           "<li>Makamlar (.mkm): \"Makam\" çerçevesi; mandallar makamın konumlarına gelir.</li>"
           "</ul><p>Kaydettiğiniz makamlar, ezgiler ve kayıt.txt: " +
           userFolder.string() +
           "<br>\"WAV\" düğmesi ezgiyi, partisyonu ya da kaydı WAV veya FLAC dosyasına "
           "yazar.</p>";
}

QWidget* openHelpWindow(QWidget* parent, const std::filesystem::path& userFolder) {
    auto* window = new QDialog(parent);
    window->setObjectName(QStringLiteral("yardim"));
    window->setWindowTitle(QString::fromUtf8(kHelpTitle));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser(window);
    text->setHtml(QString::fromStdString(helpText(userFolder)));
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(text);
    window->resize(560, 600);
    window->show();
    return window;
}

} // namespace zembera
