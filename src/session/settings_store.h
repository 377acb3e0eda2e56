#pragma once
// Where the settings the user keeps between runs are stored: text values under keys such as
// "ses_sistemi/ad". The window backs it with the user's settings file; tests keep it in memory.
//
// Thread: the owner's.

#include <map>
#include <optional>
#include <string>

namespace zembera {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> value(const std::string& key) const = 0;
    virtual void setValue(const std::string& key, const std::string& value) = 0;
    virtual void remove(const std::string& key) = 0;
};

class MemorySettings : public SettingsStore {
  public:
    std::optional<std::string> value(const std::string& key) const override {
        const auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void setValue(const std::string& key, const std::string& value) override {
        values[key] = value;
    }
    void remove(const std::string& key) override { values.erase(key); }

    std::map<std::string, std::string> values;
};

} // namespace zembera
