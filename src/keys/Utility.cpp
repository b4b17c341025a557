#include "keys/Utility.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/Logger.h"
#include "model/Constants.h"

namespace kelvadeck {

namespace {

// Duty -> slider value of one channel.
uint8_t DutyToBar(uint8_t duty, int32_t dutyMax, int32_t barMax) {
    if (duty < dutyMax) return static_cast<uint8_t>(int32_t{duty} * barMax / dutyMax);
    return static_cast<uint8_t>(barMax);
}

// Slider value -> duty of one channel (algorithm 2).
uint8_t BarToDuty(uint8_t bar, int32_t barMax, int32_t dutyMax) {
    if (bar < barMax) return static_cast<uint8_t>(int32_t{bar} * dutyMax / barMax);
    return static_cast<uint8_t>(dutyMax);
}

// The single-channel rule works on a fixed 0..100 scale (not the constant table).
constexpr uint8_t kDisplayFull = 100;

// 100 - v for the pale tint; inputs above 100 are outside the contract and
// give 0 rather than wrapping around.
uint8_t Complement(uint8_t v) { return static_cast<uint8_t>(kDisplayFull - std::min(v, kDisplayFull)); }

}  // namespace

Utility::Utility(std::string resourceDir, const Logger* logger)
    : m_resourceDir(std::move(resourceDir)), m_logger(logger) {}

void Utility::FlashRGB_to_BarRGB(uint8_t flashR, uint8_t flashG, uint8_t flashB, uint8_t& barR, uint8_t& barG,
                                 uint8_t& barB) const {
    barR = DutyToBar(flashR, Constants::LED_R_DUTY_MAX, Constants::COLOR_SLIDEBAR_R_MAX);
    barG = DutyToBar(flashG, Constants::LED_G_DUTY_MAX, Constants::COLOR_SLIDEBAR_G_MAX);
    barB = DutyToBar(flashB, Constants::LED_B_DUTY_MAX, Constants::COLOR_SLIDEBAR_B_MAX);
}

void Utility::BarRGB_to_FlashRGB(uint8_t barR, uint8_t barG, uint8_t barB, uint8_t& flashR, uint8_t& flashG,
                                 uint8_t& flashB) const {
    flashR = BarToDuty(barR, Constants::COLOR_SLIDEBAR_R_MAX, Constants::LED_R_DUTY_MAX);
    flashG = BarToDuty(barG, Constants::COLOR_SLIDEBAR_G_MAX, Constants::LED_G_DUTY_MAX);
    flashB = BarToDuty(barB, Constants::COLOR_SLIDEBAR_B_MAX, Constants::LED_B_DUTY_MAX);
}

void Utility::FlashRGB_to_uiRGB(uint8_t flashR, uint8_t flashG, uint8_t flashB, double& dispR, double& dispG,
                                double& dispB) const {
    uint8_t barR = 0, barG = 0, barB = 0;
    FlashRGB_to_BarRGB(flashR, flashG, flashB, barR, barG, barB);
    uint8_t r = 0, g = 0, b = 0;
    RGB_to_DisplayRGB(barR, barG, barB, r, g, b);
    dispR = r / 100.0;
    dispG = g / 100.0;
    dispB = b / 100.0;
}

void Utility::RGB_to_DisplayRGB(uint8_t r, uint8_t g, uint8_t b, uint8_t& dispR, uint8_t& dispG,
                                uint8_t& dispB) const {
    dispR = r;
    dispG = g;
    dispB = b;
    // Only a single non-zero channel is shown as a pale tint of that colour, so
    // that a dim pure colour does not look black on screen.
    if (r != 0 && g == 0 && b == 0) {
        dispR = kDisplayFull;
        dispG = dispB = Complement(r);
    } else if (r == 0 && g != 0 && b == 0) {
        dispG = kDisplayFull;
        dispR = dispB = Complement(g);
    } else if (r == 0 && g == 0 && b != 0) {
        dispB = kDisplayFull;
        dispR = dispG = Complement(b);
    }
}

std::optional<std::string> Utility::GetPresetFileName(int kind, uint8_t item1, uint8_t item2, uint8_t item3) const {
    const char* folder = Constants::APP_DATA_FUNC_PRESET_DATA_PATH_JA;
    const char* extension = Constants::APP_DATA_FUNC_PRESET_DATA_FILE_EXTENSION;
    if (kind == PRESET_KIND_DIAL) {
        if (item1 != Constants::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET) return std::nullopt;
        folder = Constants::APP_DATA_DIAL_FUNC_PRESET_DATA_PATH_JA;
        extension = Constants::APP_DATA_DIAL_FUNC_PRESET_DATA_FILE_EXTENSION;
    } else if (kind == PRESET_KIND_SWITCH) {
        if (item1 != Constants::APP_DATA_FUNC_CATEGORY_ID_PRESET) return std::nullopt;
    }
    // Any other kind uses the switch folder without a category check (as the
    // original did).

    std::optional<std::string> answer;
    if (!m_resourceDir.empty()) {
        char app[8];
        char func[8];
        std::snprintf(app, sizeof app, "%03d", int{item2});
        std::snprintf(func, sizeof func, "%03d", int{item3});
        std::string path = m_resourceDir;
        if (path.back() != '/') path += '/';
        path += folder;
        path += app;
        path += '/';
        path += func;
        path += '.';
        path += extension;

        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::path(path), ec) && !ec) answer = std::move(path);
    }
    if (m_logger != nullptr) m_logger->Debug("Utility : Preset file path = " + answer.value_or("(null)"));
    return answer;
}

}  // namespace kelvadeck
