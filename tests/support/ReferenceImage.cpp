#include "support/ReferenceImage.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>

#include "model/ByteIO.h"

namespace kelvadeck::testsupport {

namespace {

using C = Constants;
using F = FlashControl;

void KeyAction(MacroDataDialFunc& a, uint8_t usage, uint8_t modifiers, uint8_t sensitivity) {
    a.Reset();
    a.bScriptType = C::SET_TYPE_KEYBOARD_KEY;
    a.bKeyCode = usage;
    a.bKeyModifier = modifiers;
    a.bSensitive = sensitivity;
    a.cFuncData = {static_cast<int8_t>(C::SET_TYPE_KEYBOARD_KEY), static_cast<int8_t>(modifiers), static_cast<int8_t>(usage), 0, 0, 0, 0,
                   static_cast<int8_t>(sensitivity)};
}

}  // namespace

MacroCreator ReferenceScript(size_t size, uint8_t seed) {
    MacroCreator m;
    std::vector<uint8_t> bytes;
    while (bytes.size() + 7 <= size) {
        const uint8_t key = static_cast<uint8_t>(0x04 + (seed + bytes.size()) % 26);
        const uint8_t pause[] = {0x41, key, 0x70, 0x00, static_cast<uint8_t>(20 + seed % 50), 0x40, key};
        bytes.insert(bytes.end(), pause, pause + sizeof pause);
    }
    while (bytes.size() < size) bytes.push_back(0x29 + (bytes.size() % 2 ? -8 : 0));  // click / release
    m.pbRawData = bytes;
    m.dwTotalSize = bytes.size();
    return m;
}

namespace {

MacroCreator Script(size_t size, uint8_t seed) { return ReferenceScript(size, seed); }

}  // namespace

void BuildReferenceImage(DataManager& dm) {
    dm.ResetMember(true);
    dm.DataInitializeFromMemory();
    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) {
        dm.SetSectorReadFlag(s, true);
        dm.SetScriptDataFromFlashSector(s);
    }
    dm.g_pSSI.bLEDOffTimer = 60;
    for (int m = 0; m < C::MODE_NUM; ++m) {
        ProfileSettingInfo& p = dm.g_arPSI[static_cast<size_t>(m)];
        p.bLEDDutyR = static_cast<uint8_t>(m == 0 ? 100 : 0);
        p.bLEDDutyG = static_cast<uint8_t>(m == 1 ? 100 : 0);
        p.bLEDDutyB = static_cast<uint8_t>(m == 2 ? 100 : 0);
        p.bLEDColorNo = 0;
        p.bLEDColorDetailFlag = 0;
        for (int f = 0; f < C::FUNCTION_NUM; ++f) {
            DialFuncElem& e = p.arDialFuncElemList[static_cast<size_t>(f)];
            SelectItemElemForDial& s = p.arSelectItemElemDF[static_cast<size_t>(f)];
            KeyAction(e.clsMacroR, 0x30, C::USB_KEY_BIT_CTRL_L, 80);  // ]
            KeyAction(e.clsMacroL, 0x2F, C::USB_KEY_BIT_CTRL_L, 80);  // [
            s = {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY,
                 C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY};
            e.strFunctionName = u"Function " + std::u16string(1, static_cast<char16_t>(u'1' + f));
            e.bLEDDutyR = static_cast<uint8_t>(25 * f);
            e.bLEDDutyG = 50;
            e.bLEDDutyB = static_cast<uint8_t>(100 - 25 * f);
            e.bLEDColorNo = 0;
            e.bLEDColorDetailFlag = 0;
        }
        for (int b = 0; b < C::BUTTON_NUM; ++b) {
            // Alternate: user macros, presets slots, plain keys.
            const size_t bi = static_cast<size_t>(b);
            if (b % 3 == 0) {
                p.arSWScriptNo[bi] = static_cast<uint8_t>(1 + (m * 11 + b) % 40);
                p.arSelectItemElemSW[bi] = {C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 0, static_cast<uint8_t>(p.arSWScriptNo[bi] - 1)};
            } else if (b % 3 == 1) {
                p.arSWScriptNo[bi] = static_cast<uint8_t>(151 + m * 11 + b);
                p.arSelectItemElemSW[bi] = {C::APP_DATA_FUNC_CATEGORY_ID_PRESET, 0, static_cast<uint8_t>(b)};
            } else {
                KeyAction(p.arSwitchFuncElemList[bi].clsMacroSW, static_cast<uint8_t>(0x04 + b), 0, 0);
                p.arSelectItemElemSW[bi] = {C::APP_DATA_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY};
            }
        }
    }
    for (int k = 0; k < C::FUNCTION_NUM; ++k) {
        DialMacroInfo& d = dm.g_arDMI[static_cast<size_t>(k)];
        d.bDialMacroSetNum = 4;
        d.bDialMacroRoopFlag = C::ENCODER_SCRIPT_LOOP_SET_LOOP;
        for (int i = 0; i < 4; ++i) d.arDialMacroNoList[static_cast<size_t>(i)] = static_cast<uint8_t>(1 + k * 4 + i);
    }
    for (int n = 1; n <= 40; ++n) {
        const size_t size = 20 + static_cast<size_t>(n * 97) % 581;
        dm.RenewMacroScriptInfo(n, Script(size, static_cast<uint8_t>(n)));
        dm.g_arSCE[static_cast<size_t>(n - 1)].strScriptName = u"Macro " + std::u16string(1, static_cast<char16_t>(u'A' + n % 26));
    }
    // Two switch preset slots.
    dm.RenewMacroScriptInfo(152, Script(24, 3));
    dm.RenewMacroScriptInfo(163, Script(40, 4));
    dm.DataOutputToMemory();
    for (size_t n = 0; n < F::FM_SECTOR_NUM; ++n) {
        std::memcpy(dm.WholeImage() + n * F::FM_SECTOR_SIZE, dm.SectorBuffer(static_cast<int>(n)), F::FM_SECTOR_SIZE);
    }
}

std::vector<uint8_t> DirectoryStressImage(unsigned seed) {
    std::vector<uint8_t> image = ReferenceImageBytes();
    std::mt19937 rng(seed);
    const auto byte = [&rng] { return static_cast<uint8_t>(rng()); };
    constexpr uint8_t kNameLengths[] = {0, 1, 2, 35, 36, 37, 51, 52, 53, 62, 100, 252, 253, 254, 255};
    for (int i = 0; i < C::SCRIPT_NUM; ++i) {
        uint8_t* rec = image.data() + F::FM_ADR_SCRIPT_INFO + F::ScriptRecordOffset(i);
        uint8_t* end = rec + F::FM_SCRIPT_INFO_DATA_SIZE;
        switch (rng() % 4) {
            case 0:  // erased
                std::fill(rec, end, 0xFF);
                break;
            case 1:  // empty, with leftovers of an earlier script
                std::generate(rec, end, byte);
                std::fill(rec, rec + 4, 0x00);
                break;
            default: {  // stored, its body somewhere in its own sector
                std::generate(rec, end, byte);
                const uint32_t start = static_cast<uint32_t>(F::ScriptSector(i)) * F::FM_SECTOR_SIZE;
                ByteIO::WriteLE32(rec + F::FM_OFSET_SCRIPT_REC_ADR, start + rng() % 60000);
                ByteIO::WriteLE32(rec + F::FM_OFSET_SCRIPT_DATA_SIZE, 1 + rng() % 500);
                rec[F::FM_OFSET_SCRIPT_MODE] = static_cast<uint8_t>(rng() % 5);
                rec[F::FM_OFSET_SCRIPT_NAME_SIZE] = kNameLengths[rng() % std::size(kNameLengths)];
                break;
            }
        }
    }
    return image;
}

std::vector<uint8_t> ReferenceImageBytes() {
    DataManager dm;
    BuildReferenceImage(dm);
    return std::vector<uint8_t>(dm.WholeImage(), dm.WholeImage() + F::FM_TOTAL_SIZE);
}

}  // namespace kelvadeck::testsupport
