#include "shell/qt_settings_store.h"

namespace zembera {

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}

std::optional<std::string> QtSettingsStore::value(const std::string& key) const {
    const QString name = QString::fromStdString(key);
    if (!settings_->contains(name)) return std::nullopt;
    return settings_->value(name).toString().toStdString();
}

void QtSettingsStore::setValue(const std::string& key, const std::string& value) {
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
}

void QtSettingsStore::remove(const std::string& key) {
    settings_->remove(QString::fromStdString(key));
}

} // namespace zembera
