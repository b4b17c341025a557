#pragma once

#include <string>

namespace kelvadeck {

// hidapi's process-wide set-up: hid_init on construction, hid_exit on
// destruction. The backend and every device it opens share one instance, so
// the library is torn down only after the last handle is closed. Create one
// per program (hidapi keeps its own global state underneath).
class HidapiLibrary {
public:
    HidapiLibrary();
    ~HidapiLibrary();
    HidapiLibrary(const HidapiLibrary&) = delete;
    HidapiLibrary& operator=(const HidapiLibrary&) = delete;

    bool IsReady() const { return m_ready; }
    // Why hid_init failed (empty when it did not).
    const std::string& InitError() const { return m_initError; }

private:
    bool m_ready = false;
    std::string m_initError;
};

}  // namespace kelvadeck
