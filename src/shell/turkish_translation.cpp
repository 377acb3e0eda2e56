#include "shell/turkish_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace zembera {
namespace {

// Words Qt asks for in contexts its Turkish translation lacks (the file dialog's "Folder" type
// among them).
class TranslationGaps : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        struct Gap {
            const char* context;
            const char* source;
            const char* turkish;
        };
        static const Gap gaps[] = {
            {"QAbstractFileIconProvider", "Folder", "Klasör"},
            {"QAbstractFileIconProvider", "Drive", "Sürücü"},
            {"QAbstractFileIconProvider", "File", "Dosya"},
            {"QAbstractFileIconProvider", "%1 File", "%1 Dosyası"},
            {"QAbstractFileIconProvider", "Unknown", "Bilinmeyen"},
            {"QAbstractFileIconProvider", "Alias", "Takma ad"},
            {"QAbstractFileIconProvider", "Shortcut", "Kısayol"},
            {"QFileSystemModel", "Computer", "Bilgisayar"},
        };
        if (!context || !source) return {};
        for (const Gap& g : gaps)
            if (std::strcmp(context, g.context) == 0 && std::strcmp(source, g.source) == 0)
                return QString::fromUtf8(g.turkish);
        return {};
    }
};

} // namespace

bool installTurkishTranslation() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    // Dates, month names and numbers of Qt's own widgets in Turkish.
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    // Installed first, so Qt's translation is asked before it (the last installed is asked first).
    QCoreApplication::installTranslator(new TranslationGaps(app));
    // Owned by the application, so it serves every box until the program ends.
    auto* translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_tr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace zembera
