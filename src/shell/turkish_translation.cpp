#include "shell/turkish_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zembera {

bool installTurkishTranslation() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
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
