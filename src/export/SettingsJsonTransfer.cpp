#include "export/SettingsJsonTransfer.h"

#include <fstream>

#include "core/DataManager.h"
#include "base/AtomicFile.h"
#include "device/ComQue.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {
using FC = FlashControl;
}  // namespace

std::vector<int> SettingsJsonTransfer::AllDataSectors() {
    std::vector<int> sectors;
    for (int sector = 2; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) sectors.push_back(sector);
    return sectors;
}

bool SettingsJsonTransfer::QueueUnreadSectors(DataManager& dm, const std::vector<int>& sectors) {
    bool queued = false;
    for (const int sector : sectors) {
        if (!dm.SectorReadFlag(sector)) queued = dm.pComQue().SetReadScriptDataComQue(sector) || queued;
    }
    return queued;
}

bool SettingsJsonTransfer::LoadSectors(DataManager& dm, const std::vector<int>& sectors, int& failedSector) {
    for (const int sector : sectors) {
        if (!dm.SectorReadFlag(sector)) {
            failedSector = sector;
            return false;
        }
        dm.SetScriptDataFromFlashSector(sector);
    }
    return true;
}

bool SettingsJsonTransfer::QueueImportWrites(const SettingsJson::Plan& plan, DataManager& dm) {
    ComQue& que = dm.pComQue();
    bool queued = que.CreateAllSettingsWriteComQue();
    if (!plan.scripts.empty()) {
        queued = que.CreateScriptInfoComQue() && queued;
        for (const int sector : SettingsJson::ScriptSectors(plan)) {
            // The sector's first slot stands for the whole sector.
            queued = que.CreateWriteScriptComQue(sector - 1) && queued;
        }
    }
    if (!queued) que.Reset();
    return queued;
}

bool SettingsJsonTransfer::ReadText(const std::string& path, std::string& text, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    text.clear();
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(file.gcount()));
        if (text.size() > SettingsJson::TEXT_LIMIT) {
            error = path + " is larger than a settings document can be";
            return false;
        }
    }
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

std::string SettingsJsonTransfer::DocumentText(const DataManager& dm, size_t& scripts) {
    const nlohmann::ordered_json doc = SettingsJson::Export(dm);
    scripts = doc["scripts"].size();
    return doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

bool SettingsJsonTransfer::WriteDocument(const DataManager& dm, const std::string& path, size_t& scripts, std::string& error,
                                         const FileSystemOps& ops) {
    std::string why;
    if (!AtomicFile::Write(path, DocumentText(dm, scripts), why, ops)) {
        error = "cannot write " + path + ": " + why;
        return false;
    }
    return true;
}

}  // namespace kelvadeck
