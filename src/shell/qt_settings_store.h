#pragma once
// The settings the window remembers, in the user's settings file (where "Büyüt" is kept too):
// ~/.config/ZEMBERA/ZEMBERA.ini, or under XDG_CONFIG_HOME.
//
// Thread: UI thread only.

#include <QSettings>
#include <memory>

#include "session/settings_store.h"

namespace zembera {

class QtSettingsStore : public SettingsStore {
  public:
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings);

    std::optional<std::string> value(const std::string& key) const override;
    void setValue(const std::string& key, const std::string& value) override;
    void remove(const std::string& key) override;

  private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace zembera
