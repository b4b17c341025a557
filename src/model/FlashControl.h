#pragma once

#include <cstdint>

namespace kelvadeck {

// The device's 2 MiB flash: where every area lies and how each record in it is
// laid out. Multi-byte integers in flash are little-endian; names are UTF-16LE
// preceded by a byte count; erased flash reads 0xFF.
struct FlashControl {
    // Geometry and transfer sizes
    static constexpr uint32_t FM_TOTAL_SIZE = 0x200000;
    static constexpr uint32_t FM_SECTOR_NUM = 32;
    static constexpr uint32_t FM_SECTOR_SIZE = 0x10000;
    static constexpr uint32_t FM_USB_READ_DATA_SIZE = 62;
    static constexpr uint32_t FM_USB_WRITE_DATA_SIZE = 58;

    // Areas
    static constexpr int32_t FM_ADR_BASE_INFO = 0x0000;
    static constexpr int32_t FM_BASE_INFO_AREA_SIZE = 0x70;
    static constexpr int32_t FM_ADR_FUNCTION_SETTING = 0x0100;
    static constexpr int32_t FM_FUNCTION_SETTING_AREA_SIZE = 0x800;
    static constexpr int32_t FM_ADR_ENCODER_SCRIPT_SETTING = 0x0A00;
    static constexpr int32_t FM_ENCODER_SCRIPT_SETTING_AREA_SIZE = 0x90;
    static constexpr int32_t FM_ADR_SW_FUNCTION_SETTING = 0x0B00;
    static constexpr int32_t FM_SW_FUNCTION_SETTING_AREA_SIZE = 0x108;
    static constexpr int32_t FM_ADR_SCRIPT_INFO = 0x10000;
    static constexpr int32_t FM_SCRIPT_INFO_AREA_SIZE = 0xD490;
    static constexpr int32_t FM_ADR_SCRIPT_DATA = 0x20000;
    static constexpr int32_t FM_SCRIPT_DATA_AREA_SIZE = 0x1E0000;
    static constexpr int32_t FM_SCRIPT_DATA_SECTOR_NUM = 30;

    // Blocks of the settings sector
    static constexpr int32_t FM_BASE_SETTING_ST_ADR = 0x0000;
    static constexpr int32_t FM_BASE_SETTING_SIZE = 8;
    static constexpr int32_t FM_BASE_MODE_SETTING_ST_ADR = 0x0010;
    static constexpr int32_t FM_BASE_MODE_SETTING_SIZE = 32;
    static constexpr int32_t FM_FUNCTION_SETTING_ST_ADR = 0x0100;
    static constexpr int32_t FM_FUNCTION_SETTING_SIZE_MODE = 96;
    static constexpr int32_t FM_FUNCTION_SETTING_SIZE_FUNC = 24;
    static constexpr int32_t FM_ADR_APP_SW_SETTING = 0x0300;
    static constexpr int32_t FM_APP_SW_SETTING_SIZE_MODE = 165;
    static constexpr int32_t FM_APP_SW_SETTING_SIZE_DATA = 11;
    static constexpr int32_t FM_ADR_APP_FUNC_SETTING = 0x0500;
    static constexpr int32_t FM_APP_FUNC_SETTING_SIZE_MODE = 40;
    static constexpr int32_t FM_APP_FUNC_SETTING_SIZE_FUNC = 10;
    static constexpr int32_t FM_APP_FUNC_SETTING_SIZE_DATA = 5;
    static constexpr int32_t FM_FUNCTION_NAME_ST_ADR = 0x0600;
    static constexpr int32_t FM_ADR_FUNCTION_SETTING_NAME = 0x0600;
    static constexpr int32_t FM_FUNCTION_NAME_ST_SIZE = 64;
    static constexpr int32_t FM_ENCODER_SCRIPT_ST_ADR = 0x0A00;
    static constexpr int32_t FM_ENCODER_SCRIPT_ST_SIZE = 48;
    static constexpr int32_t FM_SW_FUNCTION_SETTING_SIZE_MODE = 88;
    static constexpr int32_t FM_SW_FUNCTION_SETTING_SIZE_FUNC = 8;

    // Device-wide settings record
    static constexpr int32_t FM_OFSET_BASE_MODE = 0;
    static constexpr int32_t FM_OFSET_BASE_LED_SLEEP = 1;
    static constexpr int32_t FM_OFSET_BASE_LED_LIGHT_MODE = 2;
    static constexpr int32_t FM_OFSET_BASE_LED_LIGHT_FUNC = 3;
    static constexpr int32_t FM_OFSET_BASE_LED_OFF_TIME = 4;
    static constexpr int32_t FM_OFSET_BASE_ENCODER_TYPEMATIC = 5;

    // Per-mode settings record: switch n (1..11) at (n - 1) in each row
    static constexpr int32_t FM_OFSET_BASE_SW1_SCRIPT_NO = 0;
    static constexpr int32_t FM_OFSET_BASE_SW2_SCRIPT_NO = 1;
    static constexpr int32_t FM_OFSET_BASE_SW3_SCRIPT_NO = 2;
    static constexpr int32_t FM_OFSET_BASE_SW4_SCRIPT_NO = 3;
    static constexpr int32_t FM_OFSET_BASE_SW5_SCRIPT_NO = 4;
    static constexpr int32_t FM_OFSET_BASE_SW6_SCRIPT_NO = 5;
    static constexpr int32_t FM_OFSET_BASE_SW7_SCRIPT_NO = 6;
    static constexpr int32_t FM_OFSET_BASE_SW8_SCRIPT_NO = 7;
    static constexpr int32_t FM_OFSET_BASE_SW9_SCRIPT_NO = 8;
    static constexpr int32_t FM_OFSET_BASE_SW10_SCRIPT_NO = 9;
    static constexpr int32_t FM_OFSET_BASE_SW11_SCRIPT_NO = 10;
    static constexpr int32_t FM_OFSET_BASE_SW1_SP_FUNC_NO = 11;
    static constexpr int32_t FM_OFSET_BASE_SW2_SP_FUNC_NO = 12;
    static constexpr int32_t FM_OFSET_BASE_SW3_SP_FUNC_NO = 13;
    static constexpr int32_t FM_OFSET_BASE_SW4_SP_FUNC_NO = 14;
    static constexpr int32_t FM_OFSET_BASE_SW5_SP_FUNC_NO = 15;
    static constexpr int32_t FM_OFSET_BASE_SW6_SP_FUNC_NO = 16;
    static constexpr int32_t FM_OFSET_BASE_SW7_SP_FUNC_NO = 17;
    static constexpr int32_t FM_OFSET_BASE_SW8_SP_FUNC_NO = 18;
    static constexpr int32_t FM_OFSET_BASE_SW9_SP_FUNC_NO = 19;
    static constexpr int32_t FM_OFSET_BASE_SW10_SP_FUNC_NO = 20;
    static constexpr int32_t FM_OFSET_BASE_SW11_SP_FUNC_NO = 21;
    static constexpr int32_t FM_OFSET_BASE_ENCODER_DEFAULT = 22;
    static constexpr int32_t FM_OFSET_BASE_LED_COLOR_NO = 23;
    static constexpr int32_t FM_OFSET_BASE_LED_DETAIL_FLAG = 24;
    static constexpr int32_t FM_OFSET_BASE_LED_RGB_DUTY = 25;
    static constexpr int32_t FM_OFSET_BASE_LED_R_DUTY = 25;
    static constexpr int32_t FM_OFSET_BASE_LED_G_DUTY = 26;
    static constexpr int32_t FM_OFSET_BASE_LED_B_DUTY = 27;
    static constexpr int32_t FM_OFSET_BASE_LED_BRIGHTNESS_LEVEL = 28;

    // Dial function record
    static constexpr int32_t FM_OFSET_FUNCTION_CW_DATA_TOP = 0;
    static constexpr int32_t FM_OFSET_FUNCTION_DATA_SIZE = 8;
    static constexpr int32_t FM_OFSET_FUNCTION_CCW_DATA_TOP = 8;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_COLOR_NO = 16;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_DETAIL_FLAG = 17;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_RGB_DUTY_TOP = 18;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_R_DUTY = 18;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_G_DUTY = 19;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_B_DUTY = 20;
    static constexpr int32_t FM_OFSET_FUNCTION_LED_BRIGHTNESS_LEVEL = 21;

    // Switch catalogue selection entries inside a mode's 165 bytes
    static constexpr int32_t FM_OFSET_APP_SETTING_SW_DATA_TOP = 0;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW1_DATA_TOP = 0;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW2_DATA_TOP = 11;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW3_DATA_TOP = 22;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW4_DATA_TOP = 33;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW5_DATA_TOP = 44;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW6_DATA_TOP = 55;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW7_DATA_TOP = 66;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW8_DATA_TOP = 77;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW9_DATA_TOP = 88;
    static constexpr int32_t FM_OFSET_APP_SETTING_SW10_DATA_TOP = 99;
    static constexpr int32_t FM_OFSET_APP_SETTING_ENCSW_DATA_TOP = 110;
    static constexpr int32_t FM_OFSET_APP_SETTING_ENC_FUNC1_DATA_TOP = 121;
    static constexpr int32_t FM_OFSET_APP_SETTING_ENC_FUNC2_DATA_TOP = 132;
    static constexpr int32_t FM_OFSET_APP_SETTING_ENC_FUNC3_DATA_TOP = 143;
    static constexpr int32_t FM_OFSET_APP_SETTING_ENC_FUNC4_DATA_TOP = 154;

    // Dial catalogue selections, counted from the mode's start
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC_DATA_TOP = 0;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC1_CW_DATA_TOP = 0;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC1_CCW_DATA_TOP = 5;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC2_CW_DATA_TOP = 10;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC2_CCW_DATA_TOP = 15;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC3_CW_DATA_TOP = 20;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC3_CCW_DATA_TOP = 25;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC4_CW_DATA_TOP = 30;
    static constexpr int32_t FM_OFSET_APP_FUNC_SETTING_FUNC4_CCW_DATA_TOP = 35;

    // Dial function name record
    static constexpr int32_t FM_OFSET_FUNCTION_NAME_SIZE = 0;
    static constexpr int32_t FM_OFSET_FUNCTION_NAME_DATA = 1;
    static constexpr int32_t FM_FUNCTION_NAME_MAX_SIZE = 63;

    // Encoder script (user dial macro) record
    static constexpr int32_t FM_OFSET_ENCODER_SCRIPT_SCRIPT_NUM_TOP = 0;
    static constexpr int32_t FM_OFSET_ENCODER_SCRIPT_LOOP_SET_TOP = 1;
    static constexpr int32_t FM_OFSET_ENCODER_SCRIPT_DATA_TOP = 16;
    static constexpr int32_t FM_ENCODER_SCRIPT_SCRIPT_MAX_SIZE = 32;

    // Script information area (sector 1)
    static constexpr int32_t FM_OFSET_SCRIPT_CHK_SUM_L = 0;
    static constexpr int32_t FM_OFSET_SCRIPT_CHK_SUM_H = 1;
    static constexpr int32_t FM_OFSET_SCRIPT_REC_NUM = 2;
    static constexpr int32_t FM_OFSET_SCRIPT_TOTAL_SIZE_L0 = 4;
    static constexpr int32_t FM_OFSET_SCRIPT_TOTAL_SIZE_L1 = 5;
    static constexpr int32_t FM_OFSET_SCRIPT_TOTAL_SIZE_L2 = 6;
    static constexpr int32_t FM_OFSET_SCRIPT_TOTAL_SIZE_L3 = 7;
    static constexpr int32_t FM_SCRIPT_INFO_DATA_ST_ADR = 16;
    static constexpr int32_t FM_SCRIPT_INFO_DATA_SIZE = 272;

    // Script record
    static constexpr int32_t FM_OFSET_SCRIPT_REC_ADR = 0;
    static constexpr int32_t FM_OFSET_SCRIPT_DATA_SIZE = 4;
    static constexpr int32_t FM_OFSET_SCRIPT_MODE = 8;
    static constexpr int32_t FM_OFSET_SCRIPT_NAME_SIZE = 9;
    static constexpr int32_t FM_OFSET_SCRIPT_NAME_DATA = 10;
    static constexpr int32_t FM_SCRIPT_INFO_DATA_NAME_SIZE = 254;

    // Script data area
    static constexpr int32_t FM_SCRIPT_DATA_NUM_PER_SECTOR = 7;
    static constexpr int32_t FM_SCRIPT_DATA_MAX_SIZE = 9362;

    // Helpers for the repeated blocks
    static constexpr int32_t ModeSettingAddress(int mode) { return FM_BASE_MODE_SETTING_ST_ADR + mode * FM_BASE_MODE_SETTING_SIZE; }
    static constexpr int32_t DialFunctionAddress(int mode, int func) {
        return FM_FUNCTION_SETTING_ST_ADR + mode * FM_FUNCTION_SETTING_SIZE_MODE + func * FM_FUNCTION_SETTING_SIZE_FUNC;
    }
    static constexpr int32_t SwitchSelectionAddress(int mode, int button) {
        return FM_ADR_APP_SW_SETTING + mode * FM_APP_SW_SETTING_SIZE_MODE + button * FM_APP_SW_SETTING_SIZE_DATA;
    }
    static constexpr int32_t DialSelectionAddress(int mode, int func) {
        return FM_ADR_APP_FUNC_SETTING + mode * FM_APP_FUNC_SETTING_SIZE_MODE + func * FM_APP_FUNC_SETTING_SIZE_FUNC;
    }
    static constexpr int32_t FunctionNameAddress(int mode, int func) {
        return FM_FUNCTION_NAME_ST_ADR + mode * (FM_FUNCTION_NAME_ST_SIZE * 4) + func * FM_FUNCTION_NAME_ST_SIZE;
    }
    static constexpr int32_t EncoderScriptAddress(int k) { return FM_ENCODER_SCRIPT_ST_ADR + k * FM_ENCODER_SCRIPT_ST_SIZE; }
    static constexpr int32_t SwitchFunctionAddress(int mode, int button) {
        return FM_ADR_SW_FUNCTION_SETTING + mode * FM_SW_FUNCTION_SETTING_SIZE_MODE + button * FM_SW_FUNCTION_SETTING_SIZE_FUNC;
    }
    // Offset of script record i inside sector 1.
    static constexpr int32_t ScriptRecordOffset(int index) { return FM_SCRIPT_INFO_DATA_ST_ADR + index * FM_SCRIPT_INFO_DATA_SIZE; }
    // Data sector that holds script index i (0..199).
    static constexpr int32_t ScriptSector(int index) { return 2 + index % FM_SCRIPT_DATA_SECTOR_NUM; }
    // A directory record names a stored script when its address and size are
    // set, within the device's limits, and its bytes lie wholly inside the
    // data sector that the slot's index belongs to (the only place the
    // firmware puts them).
    static constexpr bool IsStoredScriptRecord(uint32_t address, uint32_t size, int index) {
        if (address == 0 || size == 0) return false;
        if (address > FM_TOTAL_SIZE || size > static_cast<uint32_t>(FM_SCRIPT_DATA_MAX_SIZE)) return false;
        const uint64_t start = static_cast<uint64_t>(ScriptSector(index)) * FM_SECTOR_SIZE;
        return address >= start && address - start + size <= FM_SECTOR_SIZE;
    }
    // Name bytes a decoder of record bytes takes for a length byte: none for
    // "no name" (254 or more), else the length rounded up to whole UTF-16 units.
    static constexpr int32_t ScriptNameBytesUsed(uint8_t lengthByte) {
        return lengthByte >= FM_SCRIPT_INFO_DATA_NAME_SIZE ? 0 : (lengthByte + 1) / 2 * 2;
    }
};

// The blocks of the settings sector never overlap and the directory fits its sector.
static_assert(FlashControl::ModeSettingAddress(3) - 1 == 0x006F && 0x006F < FlashControl::FM_FUNCTION_SETTING_ST_ADR);
static_assert(FlashControl::DialFunctionAddress(3, 0) - 1 == 0x021F && 0x021F < FlashControl::FM_ADR_APP_SW_SETTING);
static_assert(FlashControl::FM_ADR_APP_SW_SETTING + 3 * FlashControl::FM_APP_SW_SETTING_SIZE_MODE - 1 == 0x04EE);
static_assert(FlashControl::DialSelectionAddress(3, 0) - 1 == 0x0577 && 0x0577 < FlashControl::FM_FUNCTION_NAME_ST_ADR);
static_assert(FlashControl::FunctionNameAddress(3, 0) - 1 == 0x08FF && 0x08FF < FlashControl::FM_ENCODER_SCRIPT_ST_ADR);
static_assert(FlashControl::EncoderScriptAddress(4) - 1 == 0x0ABF && 0x0ABF < FlashControl::FM_ADR_SW_FUNCTION_SETTING);
static_assert(FlashControl::SwitchFunctionAddress(3, 0) - 1 == 0x0C07);
static_assert(FlashControl::ScriptRecordOffset(200) == FlashControl::FM_SCRIPT_INFO_AREA_SIZE);
static_assert(FlashControl::FM_SCRIPT_INFO_AREA_SIZE <= static_cast<int32_t>(FlashControl::FM_SECTOR_SIZE));
static_assert(FlashControl::FM_SCRIPT_DATA_NUM_PER_SECTOR * FlashControl::FM_SCRIPT_DATA_MAX_SIZE <=
              static_cast<int32_t>(FlashControl::FM_SECTOR_SIZE));
static_assert(FlashControl::FM_SECTOR_NUM * FlashControl::FM_SECTOR_SIZE == FlashControl::FM_TOTAL_SIZE);

}  // namespace kelvadeck
