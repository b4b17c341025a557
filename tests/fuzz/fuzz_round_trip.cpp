// A whole flash image with its scripts loaded: decoding, encoding everything
// back (settings, directory, and every data sector repacked as a script write
// does) and decoding again gives the same model and the same script bytes.
//
// Input: patches over an erased 2 MiB image, each a 3-byte big-endian offset
// (taken modulo the flash size), a length byte and that many bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/DataManager.h"

using namespace kelvadeck;
using F = FlashControl;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void ApplyPatches(const uint8_t* data, size_t size, std::vector<uint8_t>& image) {
    size_t at = 0;
    while (at + 4 <= size) {
        const size_t offset = ((static_cast<size_t>(data[at]) << 16) | (static_cast<size_t>(data[at + 1]) << 8) | data[at + 2]) %
                              F::FM_TOTAL_SIZE;
        const size_t length = std::min<size_t>({data[at + 3], size - at - 4, F::FM_TOTAL_SIZE - offset});
        std::memcpy(image.data() + offset, data + at + 4, length);
        at += 4 + length;
    }
}

// Decodes an image as the application does after a backup or a restore: the
// settings and the directory, then the scripts of every data sector.
void DecodeAll(DataManager& dm, const std::vector<uint8_t>& image) {
    std::memcpy(dm.WholeImage(), image.data(), F::FM_TOTAL_SIZE);
    Check(dm.RenewMemBuf());
    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) Check(dm.SetScriptDataFromFlashSector(s));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DataManager first;
    static DataManager second;
    static std::vector<uint8_t> image(F::FM_TOTAL_SIZE);
    std::fill(image.begin(), image.end(), 0xFF);
    if (size > 0) ApplyPatches(data, size, image);
    DecodeAll(first, image);

    const auto ssi = first.g_pSSI;
    const auto psi = first.g_arPSI;
    const auto dmi = first.g_arDMI;
    const std::vector<ScriptElem> scripts = first.g_arSCE;

    // Every data sector rewritten from its loaded scripts, as a script write
    // of one of them does, then the settings and directory encoded.
    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) {
        for (int i = s - 2; i < static_cast<int>(first.g_arSCE.size()); i += F::FM_SCRIPT_DATA_SECTOR_NUM) {
            const ScriptElem& e = first.g_arSCE[static_cast<size_t>(i)];
            if (e.dwSaveSize == 0 || !e.pbRawData) continue;
            MacroCreator same;
            same.pbRawData = e.pbRawData;
            same.dwTotalSize = e.pbRawData->size();
            (void)first.RenewMacroScriptInfo(i + 1, same);
            break;
        }
    }
    Check(first.DataOutputToMemory());
    std::vector<uint8_t> encoded(F::FM_TOTAL_SIZE);
    for (size_t s = 0; s < F::FM_SECTOR_NUM; ++s) {
        std::memcpy(encoded.data() + s * F::FM_SECTOR_SIZE, first.SectorBuffer(static_cast<int>(s)), F::FM_SECTOR_SIZE);
    }

    DecodeAll(second, encoded);
    Check(second.g_pSSI == ssi);
    Check(second.g_arPSI == psi);
    Check(second.g_arDMI == dmi);
    Check(second.g_arSCE.size() == scripts.size());
    for (size_t i = 0; i < scripts.size(); ++i) {
        const ScriptElem& was = scripts[i];
        const ScriptElem& now = second.g_arSCE[i];
        Check(now.dwSaveSize == was.dwSaveSize);
        Check(now.bScriptMode == was.bScriptMode);
        Check(now.strScriptName == was.strScriptName);
        // A script that was loaded keeps its bytes and its steps (it may have
        // moved inside its sector).
        if (was.pbRawData) {
            Check(now.pbRawData == was.pbRawData);
            Check(now.idMacroCreator.arCurrentMacroScript.size() == was.idMacroCreator.arCurrentMacroScript.size());
        }
    }
    return 0;
}
