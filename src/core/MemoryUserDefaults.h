#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "base/UserDefaults.h"

namespace kelvadeck {

// User defaults that live only as long as the object: for tests, and for the
// CLI when it must not touch the user's settings file.
class MemoryUserDefaults : public UserDefaults {
public:
    MemoryUserDefaults() = default;
    MemoryUserDefaults(std::initializer_list<std::pair<const std::string, long>> values) : m_values(values) {}

    std::optional<long> GetInteger(const std::string& key) const override {
        const auto it = m_values.find(key);
        if (it == m_values.end()) return std::nullopt;
        return it->second;
    }

    [[nodiscard]] bool SetInteger(const std::string& key, long value) override {
        if (m_failWrites) return false;
        m_values[key] = value;
        return true;
    }

    void Remove(const std::string& key) { m_values.erase(key); }
    // Makes every later SetInteger fail, to test callers' handling of that.
    void SetFailWrites(bool fail) { m_failWrites = fail; }

private:
    std::map<std::string, long> m_values;
    bool m_failWrites = false;
};

}  // namespace kelvadeck
