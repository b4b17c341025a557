#include "keys/KeyCode.h"

#include "base/Logger.h"
#include "base/UserDefaults.h"
#include "keys/KeyCodeTable.h"

namespace kelvadeck {

namespace {

// Element m = the lowest usage whose Mac code on this layout is m, or 0xFF when
// no usage carries m. Mac code 0xFF lands on usage 0x00 (entry 0 carries it);
// ChangeKeyCodeMacToUsb answers 0xFF for it before looking here.
std::array<uint8_t, 256> BuildReverseIndex(bool jis) {
    std::array<uint8_t, 256> index{};
    for (std::size_t mac = 0; mac < index.size(); ++mac) {
        index[mac] = 0xFF;
        for (std::size_t usage = 0; usage < KeyCodeTable::ENTRY_NUM; ++usage) {
            if (KeyCodeTable::MacCode(static_cast<uint8_t>(usage), jis) == mac) {
                index[mac] = static_cast<uint8_t>(usage);
                break;
            }
        }
    }
    return index;
}

}  // namespace

KeyCode::KeyCode(const UserDefaults* defaults, const Logger* logger) {
    long stored = 0;
    if (defaults != nullptr) {
        stored = defaults->GetInteger(KEYBOARD_TYPE_USER_SETTING).value_or(0);
    }
    if (logger != nullptr) {
        logger->Debug("KeyCode : KeyCode " + std::to_string(stored));
    }
    // 0 means "not chosen yet"; every value other than JIS reads as US anyway.
    nsnKeyboardType = stored == 0 ? KEYBOARD_TYPE_US : stored;

    m_parSortKeyCodeForInput_JIS = BuildReverseIndex(true);
    m_parSortKeyCodeForInput_US = BuildReverseIndex(false);
}

uint8_t KeyCode::ChangeKeyCodeMacToUsb(uint8_t macCode) const {
    if (macCode == KeyCodeTable::NO_MAC_KEY) return 0xFF;
    return IsJIS() ? m_parSortKeyCodeForInput_JIS[macCode] : m_parSortKeyCodeForInput_US[macCode];
}

std::string KeyCode::GetKeyCodeStringFromUsb(uint8_t usage) const {
    return std::string(KeyCodeTable::Name(usage, IsJIS()));
}

}  // namespace kelvadeck
