#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/HostLanguage.h"

namespace kelvadeck {
namespace {

// Sets the locale variables for one case and puts them back afterwards.
class Environment {
public:
    explicit Environment(const std::map<std::string, std::string>& values) {
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
            const auto it = values.find(name);
            if (it == values.end()) {
                ::unsetenv(name);
            } else {
                ::setenv(name, it->second.c_str(), 1);
            }
        }
    }
    ~Environment() {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

private:
    static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST(HostLanguage, TakesTheVariablesAsGettextDoes) {
    struct Case {
        std::map<std::string, std::string> env;
        std::string language;
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{{"LANG", "ja_JP.UTF-8"}}, "ja_JP.UTF-8"},
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, "ja_JP.UTF-8"},
        {{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LC_ALL", "ja_JP.UTF-8"}}, "ja_JP.UTF-8"},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ja:en"}}, "ja"},
        {{{"LANG", "C"}, {"LANGUAGE", "ja:en"}}, "C"},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", ""}}, "de_DE.UTF-8"},
    };
    for (const Case& c : cases) {
        const Environment env(c.env);
        EXPECT_EQ(HostLanguage::FromEnvironment(), c.language);
    }
}

}  // namespace
}  // namespace kelvadeck
