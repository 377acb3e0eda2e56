#include "shell/control_hints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "shell/canvas_widget.h"
#include "shell/main_window.h"
#include "shell/render_controls.h"
#include "shell/system_controls.h"

namespace zembera {

const char* const kKeyboardSummary = "Klavye:\n"
                                     "harfler: telleri çalar (her telin harfi sağdaki sütunda)\n"
                                     "↑ / ↓: bir tel yukarı / aşağı seçer\n"
                                     "← / →: seçili telin mandalını indirir / kaldırır\n"
                                     "boşluk: son iki ses sistemi arasında geçer (A/B)\n"
                                     "Escape: açık makam ya da ezgi listesini kapatır\n"
                                     "Bir yazı kutusu seçiliyken harfler yalnız kutuya yazılır.";

namespace {

void hint(QWidget* w, const char* text) {
    if (w) w->setToolTip(QString::fromUtf8(text));
}

const char* const kAccidentalModes[] = {
    "arızalar çalgıdan: mandallar olduğu gibi kalır",
    "arızalar şartlı: yalnız gereken mandallar değişir",
    "arızalar dosyadan: mandallar dosyadaki gibi kurulur",
};

} // namespace

void giveControlHints(MainWindow& w) {
    hint(w.keyHelp, kKeyboardSummary);
    w.instrumentPicture->setToolTip(QString::fromUtf8("Kanun: tellere tıklayarak çalın.\n\n") +
                                    QString::fromUtf8(kKeyboardSummary));
    hint(w.mandalStrip, "Seçili telin mandalları: tıklanan mandal kalkar ya da iner");
    hint(w.fineTuningPicture,
         "İnce ayar: sol yarı yükseltir, sağ yarı alçaltır (üstte büyük adım)");
    hint(w.pitchPanel, "Seçili telin perdesi: adı, sentle yeri ve sıklığı");
    hint(w.staffPicture, "Seçili telin perdesi porte üzerinde");
    hint(w.mandalColumn, "Her telin harfi ve mandal konumu");
    hint(w.detailCheck,
         "İşaretliyse fareyle çalınan tel seçili gösterilir: mandalı, perdesi ve portesi");
    hint(w.mandalResetButton, "Bütün mandalları 0 konumuna getirir");
    hint(w.tuningResetButton, "Tellerin ince ayarını siler");
    hint(w.exitButton, "ZEMBERA'dan çıkar");
    hint(w.makamNameBox, "Makam adı: kaydederken bu adla saklanır");
    hint(w.open_buton, "Makam listesini açar ya da kapatır (Escape de kapatır)");
    hint(w.save_buton, "Mandalları kutudaki makam adıyla kaydeder");
    hint(w.makamList, "Yüklenecek makamı seçin; dışına tıklamak ya da Escape listeyi kapatır");
    hint(w.Play_buton, "> : kaydı dinlet");
    hint(w.stop_buton, "O : kaydı ya da dinletmeyi durdur");
    hint(w.rec_buton, "R : çalınanı kaydet");
    hint(w.pause_buton, "I I : dinletmeyi duraklat / sürdür");
    hint(w.replayLamp, "Dinletme lambası: dinletilirken yeşil");
    hint(w.recordLamp, "Kayıt lambası: kaydedilirken kırmızı");
    hint(w.melodyNameBox, "Ezgi dosyasının adı (.ses, MusicXML ya da SymbTr)");
    hint(w.open_ses_buton, "Ezgi listesini açar ya da kapatır (Escape de kapatır)");
    hint(w.melodyList, "Çalınacak ezgiyi seçin; dışına tıklamak ya da Escape listeyi kapatır");
    hint(w.aç_kapa_buton, "> : ezgiyi çal,  0 : çalan ezgiyi durdur");
    hint(w.melodyCounter, "Çalınan notanın sırası");
    hint(w.tempoBar, "Hız: yukarı hızlı, aşağı yavaş (birim süre 30–60 ms)");
    hint(w.degreeShiftBar, "Ahenge eklenen perde kaydırması (−8 … 12)");
    hint(w.degreeShiftBox, "Ahenge eklenen perde kaydırması; kaydırma çubuğuyla değişir");
    hint(w.mandalLabelsCheck, "Mandal etiketleri: tellerin mandal konumunu kanunun üstüne yazar");
    hint(w.settingSwitch[1], "Göçürülmemiş mandallar");
    hint(w.settingSwitch[2], "Göçürülmüş mandallar");
    for (int i = 1; i <= 3; ++i) {
        hint(w.melodyModeButtons[i], kAccidentalModes[i - 1]);
        hint(w.replayModeButtons[i], kAccidentalModes[i - 1]);
    }
    for (int i = 1; i <= 8; ++i)
        w.pitchLevelButtons[i]->setToolTip(QString::fromUtf8("Ahenk: ") +
                                           w.pitchLevelButtons[i]->text());
    for (int i = 1; i <= 2; ++i)
        w.octaveDivisionButtons[i]->setToolTip(QString::fromUtf8("Oktav bölümü: ") +
                                               w.octaveDivisionButtons[i]->text());
    hint(w.renderControls().button(),
         "WAV: ezgiyi ya da kaydı ses dosyasına (WAV, FLAC) yazar; ses aygıtı olmadan da çalışır");
    hint(w.systemControls().list, "Ses sistemi: tellerin perdelerini veren dizi");
}

} // namespace zembera
