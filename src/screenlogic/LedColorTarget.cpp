#include "screenlogic/LedColorTarget.h"

#include <type_traits>
#include <utility>

namespace kelvadeck {

namespace {

// The record a tag names, or null.
template <typename Modes>
auto Record(Modes& modes, uint8_t currentMode, long tag, bool& isFunction) {
    using Profile = std::remove_reference_t<decltype(modes[0])>;
    using Func = std::conditional_t<std::is_const_v<Profile>, const DialFuncElem, DialFuncElem>;
    Profile* profile = nullptr;
    Func* function = nullptr;
    isFunction = LedColorTarget::IsDialFunction(tag);
    if (LedColorTarget::IsValid(tag) && !isFunction) {
        const size_t m = static_cast<size_t>(tag - LedColorTarget::TAG_MODE_FIRST);
        if (m < modes.size()) profile = &modes[m];
    } else if (isFunction && currentMode < modes.size()) {
        auto& list = modes[currentMode].arDialFuncElemList;
        const size_t f = static_cast<size_t>(tag - LedColorTarget::TAG_FUNCTION_FIRST);
        if (f < list.size()) function = &list[f];
    }
    return std::make_pair(profile, function);
}

template <typename R>
void Get(const R& r, LedColorTarget::Color& c) {
    c.dutyR = r.bLEDDutyR;
    c.dutyG = r.bLEDDutyG;
    c.dutyB = r.bLEDDutyB;
    c.brightness = r.bLEDBrightness;
}

template <typename R>
void Put(R& r, const LedColorTarget::Color& c) {
    r.bLEDDutyR = c.dutyR;
    r.bLEDDutyG = c.dutyG;
    r.bLEDDutyB = c.dutyB;
    r.bLEDBrightness = c.brightness;
}

}  // namespace

bool LedColorTarget::Read(const std::vector<ProfileSettingInfo>& modes, uint8_t currentMode, long tag, Color& color) {
    bool isFunction = false;
    const auto [profile, function] = Record(modes, currentMode, tag, isFunction);
    if (profile != nullptr) {
        Get(*profile, color);
        return true;
    }
    if (function != nullptr) {
        Get(*function, color);
        return true;
    }
    return false;
}

bool LedColorTarget::Write(std::vector<ProfileSettingInfo>& modes, uint8_t currentMode, long tag, const Color& color) {
    bool isFunction = false;
    const auto [profile, function] = Record(modes, currentMode, tag, isFunction);
    if (profile != nullptr) {
        Put(*profile, color);
        return true;
    }
    if (function != nullptr) {
        Put(*function, color);
        return true;
    }
    return false;
}

}  // namespace kelvadeck
