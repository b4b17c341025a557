#include "screens/QtKeyEventAdapter.h"

#include <QKeyEvent>

#include "screenlogic/KeyEventTranslator.h"

namespace kelvadeck {

namespace {

// Qt keys and the evdev code of the key that types them on a US keyboard.
struct QtKeyToEvdev {
    int key;
    uint16_t evdev;
};

constexpr QtKeyToEvdev kFallback[] = {
    {Qt::Key_Escape, 1}, {Qt::Key_1, 2}, {Qt::Key_2, 3}, {Qt::Key_3, 4}, {Qt::Key_4, 5}, {Qt::Key_5, 6},
    {Qt::Key_6, 7}, {Qt::Key_7, 8}, {Qt::Key_8, 9}, {Qt::Key_9, 10}, {Qt::Key_0, 11}, {Qt::Key_Minus, 12},
    {Qt::Key_Equal, 13}, {Qt::Key_Backspace, 14}, {Qt::Key_Tab, 15}, {Qt::Key_Backtab, 15},
    {Qt::Key_Q, 16}, {Qt::Key_W, 17}, {Qt::Key_E, 18}, {Qt::Key_R, 19}, {Qt::Key_T, 20}, {Qt::Key_Y, 21},
    {Qt::Key_U, 22}, {Qt::Key_I, 23}, {Qt::Key_O, 24}, {Qt::Key_P, 25}, {Qt::Key_BracketLeft, 26},
    {Qt::Key_BracketRight, 27}, {Qt::Key_Return, 28}, {Qt::Key_Control, 29}, {Qt::Key_A, 30}, {Qt::Key_S, 31},
    {Qt::Key_D, 32}, {Qt::Key_F, 33}, {Qt::Key_G, 34}, {Qt::Key_H, 35}, {Qt::Key_J, 36}, {Qt::Key_K, 37},
    {Qt::Key_L, 38}, {Qt::Key_Semicolon, 39}, {Qt::Key_Apostrophe, 40}, {Qt::Key_QuoteLeft, 41},
    {Qt::Key_Shift, 42}, {Qt::Key_Backslash, 43}, {Qt::Key_Z, 44}, {Qt::Key_X, 45}, {Qt::Key_C, 46},
    {Qt::Key_V, 47}, {Qt::Key_B, 48}, {Qt::Key_N, 49}, {Qt::Key_M, 50}, {Qt::Key_Comma, 51},
    {Qt::Key_Period, 52}, {Qt::Key_Slash, 53}, {Qt::Key_Alt, 56}, {Qt::Key_Space, 57}, {Qt::Key_CapsLock, 58},
    {Qt::Key_F1, 59}, {Qt::Key_F2, 60}, {Qt::Key_F3, 61}, {Qt::Key_F4, 62}, {Qt::Key_F5, 63}, {Qt::Key_F6, 64},
    {Qt::Key_F7, 65}, {Qt::Key_F8, 66}, {Qt::Key_F9, 67}, {Qt::Key_F10, 68}, {Qt::Key_F11, 87},
    {Qt::Key_F12, 88}, {Qt::Key_NumLock, 69}, {Qt::Key_ScrollLock, 70}, {Qt::Key_Enter, 96},
    {Qt::Key_Print, 99}, {Qt::Key_Home, 102}, {Qt::Key_Up, 103}, {Qt::Key_PageUp, 104}, {Qt::Key_Left, 105},
    {Qt::Key_Right, 106}, {Qt::Key_End, 107}, {Qt::Key_Down, 108}, {Qt::Key_PageDown, 109},
    {Qt::Key_Insert, 110}, {Qt::Key_Delete, 111}, {Qt::Key_Pause, 119}, {Qt::Key_Meta, 125},
    {Qt::Key_Menu, 127}, {Qt::Key_yen, 124}, {Qt::Key_Muhenkan, 94}, {Qt::Key_Henkan, 92},
};

uint16_t FallbackMacKeyCode(int key) {
    for (const auto& k : kFallback) {
        if (k.key == key) return KeyEventTranslator::MacKeyCodeFromEvdev(k.evdev);
    }
    return KeyEventTranslator::NO_MAC_KEY;
}

KeyEventTranslator::Modifiers ModifiersOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers m = event.modifiers();
    KeyEventTranslator::Modifiers out;
    out.shift = m.testFlag(Qt::ShiftModifier);
    out.alt = m.testFlag(Qt::AltModifier);
#ifdef Q_OS_MACOS
    // Qt on macOS reports Command as Control and Control as Meta.
    out.control = m.testFlag(Qt::MetaModifier);
    out.super = m.testFlag(Qt::ControlModifier);
#else
    out.control = m.testFlag(Qt::ControlModifier);
    out.super = m.testFlag(Qt::MetaModifier);
#endif
#ifdef Q_OS_LINUX
    // X11 and xkb keep Caps Lock in bit 1 (LockMask) of the native state.
    out.capsLock = (event.nativeModifiers() & 0x2u) != 0;
#endif
    return out;
}

}  // namespace

uint16_t QtKeyEventAdapter::MacKeyCodeOf(const QKeyEvent& event) {
#ifdef Q_OS_MACOS
    if (event.nativeVirtualKey() != 0 || event.nativeScanCode() != 0) {
        const quint32 code = event.nativeVirtualKey();
        return code <= 0xFF ? static_cast<uint16_t>(code) : KeyEventTranslator::NO_MAC_KEY;
    }
#else
    if (event.nativeScanCode() != 0) {
        const uint16_t code = KeyEventTranslator::MacKeyCodeFromXkbKeycode(event.nativeScanCode());
        if (code != KeyEventTranslator::NO_MAC_KEY) return code;
    }
#endif
    return FallbackMacKeyCode(event.key());
}

bool QtKeyEventAdapter::Translate(const QKeyEvent& event, HostInputEvent& out) {
    const bool press = event.type() == QEvent::KeyPress;
    if (!press && event.type() != QEvent::KeyRelease) return false;
    // X11 auto-repeat sends release/press pairs; the presses repeat the key
    // like a held Mac key does, the releases are not real.
    if (!press && event.isAutoRepeat()) return false;
    out = KeyEventTranslator::Translate(press, MacKeyCodeOf(event), ModifiersOf(event),
                                        static_cast<double>(event.timestamp()) / 1000.0);
    return true;
}

}  // namespace kelvadeck
