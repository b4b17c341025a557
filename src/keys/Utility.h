#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvadeck {

class Logger;

// LED colour conversions between device duties (0..100 per channel), slider
// values and on-screen colours; and the location of the preset files.
class Utility {
public:
    // Kinds of GetPresetFileName.
    static constexpr int PRESET_KIND_DIAL = 1;
    static constexpr int PRESET_KIND_SWITCH = 2;

    // resourceDir: the folder that holds "presetdata/" (empty: no presets found).
    // logger (optional, not owned, must outlive this object) gets the
    // "Preset file path = ..." lines.
    explicit Utility(std::string resourceDir = {}, const Logger* logger = nullptr);

    void FlashRGB_to_BarRGB(uint8_t flashR, uint8_t flashG, uint8_t flashB, uint8_t& barR, uint8_t& barG, uint8_t& barB) const;
    void BarRGB_to_FlashRGB(uint8_t barR, uint8_t barG, uint8_t barB, uint8_t& flashR, uint8_t& flashG, uint8_t& flashB) const;
    void FlashRGB_to_uiRGB(uint8_t flashR, uint8_t flashG, uint8_t flashB, double& dispR, double& dispG, double& dispB) const;
    void RGB_to_DisplayRGB(uint8_t r, uint8_t g, uint8_t b, uint8_t& dispR, uint8_t& dispG, uint8_t& dispB) const;

    // Full path of a preset file: kind 1 dial preset, kind 2 switch preset (any
    // other kind: the switch folder, without the category check). The path is
    // resourceDir/<kind folder><item2 as %03d>/<item3 as %03d>.<kind extension>.
    // None when the category (item1) is not the preset category of that kind,
    // resourceDir is empty or the file does not exist.
    std::optional<std::string> GetPresetFileName(int kind, uint8_t item1, uint8_t item2, uint8_t item3) const;

    const std::string& ResourceDir() const { return m_resourceDir; }

private:
    std::string m_resourceDir;
    const Logger* m_logger = nullptr;
};

}  // namespace kelvadeck
