#include "screenlogic/KeyEventTranslator.h"

#include <array>

namespace kelvadeck {

namespace {

struct EvdevToMac {
    uint16_t evdev;
    uint16_t mac;
};

// Linux evdev key codes (linux/input-event-codes.h) and the Mac virtual key
// code of the key at the same place. Keys that only a JIS keyboard has are at
// the end; the two conversion keys beside the space bar take the codes of the
// Mac JIS keyboard's Eisu and Kana keys there, which carry no USB usage.
constexpr EvdevToMac kKeys[] = {
    {1, 0x35},                                                               // Esc
    {2, 0x12}, {3, 0x13}, {4, 0x14}, {5, 0x15}, {6, 0x17},                   // 1 2 3 4 5
    {7, 0x16}, {8, 0x1A}, {9, 0x1C}, {10, 0x19}, {11, 0x1D},                 // 6 7 8 9 0
    {12, 0x1B}, {13, 0x18}, {14, 0x33}, {15, 0x30},                          // - =(^) BackSpace Tab
    {16, 0x0C}, {17, 0x0D}, {18, 0x0E}, {19, 0x0F}, {20, 0x11},              // Q W E R T
    {21, 0x10}, {22, 0x20}, {23, 0x22}, {24, 0x1F}, {25, 0x23},              // Y U I O P
    {26, 0x21}, {27, 0x1E}, {28, 0x24}, {29, 0x3B},                          // [(@) ](\[) Enter Ctrl L
    {30, 0x00}, {31, 0x01}, {32, 0x02}, {33, 0x03}, {34, 0x05},              // A S D F G
    {35, 0x04}, {36, 0x26}, {37, 0x28}, {38, 0x25},                          // H J K L
    {39, 0x29}, {40, 0x27}, {41, 0x32}, {42, 0x38}, {43, 0x2A},              // ; '(:) `(ZenHan) Shift L \(])
    {44, 0x06}, {45, 0x07}, {46, 0x08}, {47, 0x09}, {48, 0x0B},              // Z X C V B
    {49, 0x2D}, {50, 0x2E}, {51, 0x2B}, {52, 0x2F}, {53, 0x2C},              // N M , . /
    {54, 0x3C}, {55, 0x43}, {56, 0x3A}, {57, 0x31}, {58, 0x39},              // Shift R KP* Alt L Space CapsLock
    {59, 0x7A}, {60, 0x78}, {61, 0x63}, {62, 0x76}, {63, 0x60},              // F1 - F5
    {64, 0x61}, {65, 0x62}, {66, 0x64}, {67, 0x65}, {68, 0x6D},              // F6 - F10
    {69, 0x47}, {70, 0x6B},                                                  // NumLock(Clear) ScrollLock
    {71, 0x59}, {72, 0x5B}, {73, 0x5C}, {74, 0x4E},                          // KP7 KP8 KP9 KP-
    {75, 0x56}, {76, 0x57}, {77, 0x58}, {78, 0x45},                          // KP4 KP5 KP6 KP+
    {79, 0x53}, {80, 0x54}, {81, 0x55}, {82, 0x52}, {83, 0x41},              // KP1 KP2 KP3 KP0 KP.
    {85, 0x32}, {86, 0x0A}, {87, 0x67}, {88, 0x6F},                          // ZenHan, ISO extra key, F11, F12
    {96, 0x4C}, {97, 0x3E}, {98, 0x4B}, {99, 0x69}, {100, 0x3D},             // KPEnter Ctrl R KP/ PrintScreen Alt R
    {102, 0x73}, {103, 0x7E}, {104, 0x74}, {105, 0x7B}, {106, 0x7C},         // Home Up PageUp Left Right
    {107, 0x77}, {108, 0x7D}, {109, 0x79}, {110, 0x72}, {111, 0x75},         // End Down PageDown Insert Delete
    {113, 0x4A}, {114, 0x49}, {115, 0x48}, {116, 0x7F}, {117, 0x51},         // Mute VolDown VolUp Power KP=
    {119, 0x71}, {125, 0x37}, {126, 0x36}, {127, 0x6E}, {138, 0x72},         // Pause Super L Super R Menu Help
    {183, 0x69}, {184, 0x6B}, {185, 0x71}, {186, 0x6A}, {187, 0x40},         // F13 - F17
    {188, 0x4F}, {189, 0x50}, {190, 0x5A},                                   // F18 - F20
    // JIS-only keys.
    {89, 0x5E},   // Ro (\ _ beside Right Shift)
    {124, 0x5D},  // Yen (beside BackSpace)
    {94, 0x66},   // Muhenkan, left of the space bar (Mac: Eisu)
    {92, 0x68},   // Henkan, right of the space bar (Mac: Kana)
    {95, 0x5F},   // keypad comma of JIS keyboards
    {121, 0x5F},  // keypad comma
    // Katakana/Hiragana (90, 91, 93) have no Mac key: not listed.
};

constexpr std::array<uint16_t, 256> BuildTable() {
    std::array<uint16_t, 256> table{};
    for (auto& code : table) code = KeyEventTranslator::NO_MAC_KEY;
    for (const auto& key : kKeys) table[key.evdev] = key.mac;
    return table;
}

constexpr std::array<uint16_t, 256> kEvdevToMac = BuildTable();

struct ModifierKey {
    uint16_t mac;
    uint32_t flag;
    uint8_t hidBit;
};

constexpr ModifierKey kModifierKeys[] = {
    {0x3B, HostInputEvent::FLAG_CONTROL, KeyEventTranslator::HID_CTRL_L},
    {0x38, HostInputEvent::FLAG_SHIFT, KeyEventTranslator::HID_SHIFT_L},
    {0x3A, HostInputEvent::FLAG_OPTION, KeyEventTranslator::HID_ALT_L},
    {0x37, HostInputEvent::FLAG_COMMAND, KeyEventTranslator::HID_WIN_L},
    {0x3E, HostInputEvent::FLAG_CONTROL, KeyEventTranslator::HID_CTRL_R},
    {0x3C, HostInputEvent::FLAG_SHIFT, KeyEventTranslator::HID_SHIFT_R},
    {0x3D, HostInputEvent::FLAG_OPTION, KeyEventTranslator::HID_ALT_R},
    {0x36, HostInputEvent::FLAG_COMMAND, KeyEventTranslator::HID_WIN_R},
    {0x39, HostInputEvent::FLAG_CAPS_LOCK, 0},
};

const ModifierKey* FindModifier(uint16_t macKeyCode) {
    for (const auto& m : kModifierKeys) {
        if (m.mac == macKeyCode) return &m;
    }
    return nullptr;
}

}  // namespace

uint16_t KeyEventTranslator::MacKeyCodeFromEvdev(uint32_t evdevCode) {
    if (evdevCode >= kEvdevToMac.size()) return NO_MAC_KEY;
    return kEvdevToMac[evdevCode];
}

uint16_t KeyEventTranslator::MacKeyCodeFromXkbKeycode(uint32_t xkbKeycode) {
    if (xkbKeycode < XKB_KEYCODE_OFFSET) return NO_MAC_KEY;
    return MacKeyCodeFromEvdev(xkbKeycode - XKB_KEYCODE_OFFSET);
}

uint32_t KeyEventTranslator::ModifierFlagOfKey(uint16_t macKeyCode) {
    const ModifierKey* m = FindModifier(macKeyCode);
    return m == nullptr ? 0 : m->flag;
}

uint8_t KeyEventTranslator::HidModifierBitOfKey(uint16_t macKeyCode) {
    const ModifierKey* m = FindModifier(macKeyCode);
    return m == nullptr ? 0 : m->hidBit;
}

uint32_t KeyEventTranslator::MacFlagsFromModifiers(const Modifiers& modifiers) {
    uint32_t flags = 0;
    if (modifiers.shift) flags |= HostInputEvent::FLAG_SHIFT;
    if (modifiers.control) flags |= HostInputEvent::FLAG_CONTROL;
    if (modifiers.alt) flags |= HostInputEvent::FLAG_OPTION;
    if (modifiers.super) flags |= HostInputEvent::FLAG_COMMAND;
    if (modifiers.capsLock) flags |= HostInputEvent::FLAG_CAPS_LOCK;
    return flags;
}

uint8_t KeyEventTranslator::HidModifiersFromMacFlags(uint32_t macFlags, bool rightHand) {
    uint8_t bits = 0;
    if ((macFlags & HostInputEvent::FLAG_CONTROL) != 0) bits |= HID_CTRL_L;
    if ((macFlags & HostInputEvent::FLAG_SHIFT) != 0) bits |= HID_SHIFT_L;
    if ((macFlags & HostInputEvent::FLAG_OPTION) != 0) bits |= HID_ALT_L;
    if ((macFlags & HostInputEvent::FLAG_COMMAND) != 0) bits |= HID_WIN_L;
    return rightHand ? static_cast<uint8_t>(bits << 4) : bits;
}

HostInputEvent KeyEventTranslator::Translate(bool press, uint16_t macKeyCode, const Modifiers& modifiers,
                                             double timestamp) {
    uint32_t flags = MacFlagsFromModifiers(modifiers);
    const uint32_t own = ModifierFlagOfKey(macKeyCode);
    if (own == 0) {
        return HostInputEvent::Key(press ? HostInputEvent::Type::KeyDown : HostInputEvent::Type::KeyUp, macKeyCode,
                                   flags, timestamp);
    }
    // Toolkits disagree on whether a modifier key's own event already carries
    // its modifier; the state after the change is fixed here instead.
    flags = press ? (flags | own) : (flags & ~own);
    return HostInputEvent::Key(HostInputEvent::Type::FlagsChanged, macKeyCode, flags, timestamp);
}

}  // namespace kelvadeck
