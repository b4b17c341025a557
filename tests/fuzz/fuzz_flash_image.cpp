// Arbitrary bytes as the settings sector, the script directory and a script
// data sector: decoding must never fail or read outside the buffers, and the
// model must survive an encode and a second decode unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/DataManager.h"

using namespace kelvadeck;
using F = FlashControl;

namespace {

// Where the input lands: the used part of the settings sector first, then the
// script directory, then the first data sector.
constexpr size_t kSettingsBytes = 0x0C08;
constexpr size_t kDirectoryBytes = F::FM_SCRIPT_INFO_AREA_SIZE;

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DataManager dm;
    dm.ResetMember(true);
    size_t used = 0;
    auto take = [&](uint8_t* dst, size_t want) {
        const size_t n = std::min(want, size - used);
        if (n == 0) return;  // an empty input may come with a null pointer
        std::memcpy(dst, data + used, n);
        used += n;
    };
    take(dm.SectorBuffer(0), kSettingsBytes);
    take(dm.SectorBuffer(1), kDirectoryBytes);
    take(dm.SectorBuffer(2), F::FM_SECTOR_SIZE);

    Check(dm.DataInitializeFromMemory());
    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) Check(dm.SetScriptDataFromFlashSector(s));

    const auto ssi = dm.g_pSSI;
    const auto psi = dm.g_arPSI;
    const auto dmi = dm.g_arDMI;
    const auto scti = dm.g_pSCTI;
    std::vector<ScriptElem> sce = dm.g_arSCE;

    Check(dm.DataOutputToMemory());
    Check(dm.DataInitializeFromMemory());
    Check(dm.g_pSSI == ssi);
    Check(dm.g_arPSI == psi);
    Check(dm.g_arDMI == dmi);
    Check(dm.g_pSCTI == scti);
    for (size_t i = 0; i < sce.size(); ++i) {
        Check(dm.g_arSCE[i].dwSaveAddress == sce[i].dwSaveAddress);
        Check(dm.g_arSCE[i].dwSaveSize == sce[i].dwSaveSize);
        Check(dm.g_arSCE[i].bScriptMode == sce[i].bScriptMode);
        Check(dm.g_arSCE[i].strScriptName == sce[i].strScriptName);
    }
    return 0;
}
