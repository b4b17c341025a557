#include "screenlogic/MacroStepKinds.h"

#include "model/Constants.h"

namespace kelvadeck {

namespace {

using C = Constants;
using G = MacroStepKinds::ColourGroup;
using D = MacroStepKinds::Dialog;

// Sticks, hat and game pad buttons are green, keys red, mouse blue,
// multimedia yellow and waits black. Stick centring and the hat release have
// no value, so they open nothing; a stick move asks for its position only
// when double-clicked.
const std::array<MacroStepKinds::Item, MacroStepKinds::PALETTE_SIZE> kPalette = {{
    {"ID_ITEM1", "SCRIPT_JOY_LEVER_L_TEXT", C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS, G::Green, D::None, D::Distance},
    {"ID_ITEM2", "SCRIPT_JOY_LEVER_L_CENTER_TEXT", C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE, G::Green, D::None, D::None},
    {"ID_ITEM3", "SCRIPT_JOY_LEVER_R_TEXT", C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, G::Green, D::None, D::Distance},
    {"ID_ITEM4", "SCRIPT_JOY_LEVER_R_CENTER_TEXT", C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE, G::Green, D::None, D::None},
    {"ID_ITEM5", "SCRIPT_JOY_HATSW_PRESS_TEXT", C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, G::Green, D::KeyInput, D::KeyInput},
    {"ID_ITEM6", "SCRIPT_JOY_HATSW_RELEASE_TEXT", C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, G::Green, D::None, D::None},
    {"ID_ITEM7", "SCRIPT_JOY_BUTTON_PRESS_TEXT", C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, G::Green, D::Joypad, D::Joypad},
    {"ID_ITEM8", "SCRIPT_JOY_BUTTON_RELEASE_TEXT", C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, G::Green, D::Joypad, D::Joypad},
    {"ID_ITEM9", "SCRIPT_KEY_PRESS_TEXT", C::SCRIPT_ICON_IDX_KEY_PRESS, G::Red, D::KeyInput, D::KeyInput},
    {"ID_ITEM10", "SCRIPT_KEY_RELEASE_TEXT", C::SCRIPT_ICON_IDX_KEY_RELEASE, G::Red, D::KeyInput, D::KeyInput},
    {"ID_ITEM11", "SCRIPT_MOUSE_CLICK_TEXT", C::SCRIPT_ICON_IDX_MOUSE_CLICK, G::Blue, D::MouseButton, D::MouseButton},
    {"ID_ITEM12", "SCRIPT_MOUSE_RELEASE_TEXT", C::SCRIPT_ICON_IDX_MOUSE_RELEASE, G::Blue, D::MouseButton, D::MouseButton},
    {"ID_ITEM13", "SCRIPT_MULTIMEDIA_PRESS_TEXT", C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, G::Yellow, D::Multimedia, D::Multimedia},
    {"ID_ITEM14", "SCRIPT_MULTIMEDIA_RELEASE_TEXT", C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, G::Yellow, D::Multimedia, D::Multimedia},
    {"ID_ITEM15", "SCRIPT_MOUSE_MOVE_TEXT", C::SCRIPT_ICON_IDX_MOUSE_MOVE, G::Blue, D::Distance, D::Distance},
    {"ID_ITEM16", "SCRIPT_WHEEL_SCROLL_TEXT", C::SCRIPT_ICON_IDX_WHEEL_SCROLL, G::Blue, D::Wheel, D::Wheel},
    {"ID_ITEM17", "SCRIPT_INTERVAL_TEXT", C::SCRIPT_ICON_IDX_INTERVAL, G::Black, D::Number, D::Number},
}};

}  // namespace

const std::array<MacroStepKinds::Item, MacroStepKinds::PALETTE_SIZE>& MacroStepKinds::Palette() { return kPalette; }

int32_t MacroStepKinds::KindForIdentifier(std::string_view identifier) {
    for (const Item& item : kPalette) {
        if (item.identifier == identifier) return item.kind;
    }
    return C::SCRIPT_ICON_IDX_BLANK;
}

const MacroStepKinds::Item* MacroStepKinds::ForKind(int32_t kind) {
    for (const Item& item : kPalette) {
        if (item.kind == kind) return &item;
    }
    return nullptr;
}

MacroStepKinds::ColourGroup MacroStepKinds::ColourOf(int32_t kind) {
    const Item* item = ForKind(kind);
    return item ? item->colour : ColourGroup::None;
}

MacroStepKinds::Dialog MacroStepKinds::DialogOnDrop(int32_t kind) {
    const Item* item = ForKind(kind);
    return item ? item->onDrop : Dialog::None;
}

MacroStepKinds::Dialog MacroStepKinds::DialogOnDoubleClick(int32_t kind) {
    const Item* item = ForKind(kind);
    return item ? item->onDoubleClick : Dialog::None;
}

std::optional<MacroStepKinds::Tint> MacroStepKinds::TintOf(ColourGroup group) {
    constexpr double kAlpha = 0.1;
    switch (group) {
        case ColourGroup::Green: return Tint{0, 1, 0, kAlpha};
        case ColourGroup::Red: return Tint{1, 0, 0, kAlpha};
        case ColourGroup::Blue: return Tint{0, 0, 1, kAlpha};
        case ColourGroup::Yellow: return Tint{1, 1, 0, kAlpha};
        case ColourGroup::Black: return Tint{0, 0, 0, kAlpha};
        case ColourGroup::None: break;
    }
    return std::nullopt;
}

std::string_view MacroStepKinds::DialogTitleKey(int32_t kind) {
    const Item* item = ForKind(kind);
    return item ? item->labelKey : std::string_view{};
}

std::string_view MacroStepKinds::SegueName(Dialog dialog) {
    switch (dialog) {
        case Dialog::Number: return "NumberDialogSegue";
        case Dialog::Joypad: return "JoypadDialogSegue";
        case Dialog::MouseButton: return "MouseButtonDialogSegue";
        case Dialog::Multimedia: return "MultimediaDialogSegue";
        case Dialog::Distance: return "DistanceDialogSegue";
        case Dialog::KeyInput: return "KeyInputDialogSegue";
        case Dialog::Wheel: return "WheelDialogSegue";
        case Dialog::None: break;
    }
    return "";
}

}  // namespace kelvadeck
