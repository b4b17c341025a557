#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystemOps.h"
#include "base/Logger.h"
#include "core/WriteHistory.h"
#include "device/DeviceDataStore.h"
#include "keys/KeyCode.h"
#include "keys/Utility.h"
#include "macro/ScriptElem.h"
#include "model/Constants.h"
#include "model/DialMacroInfo.h"
#include "model/FlashControl.h"
#include "model/FunctionCatalogues.h"
#include "model/ProfileSettingInfo.h"
#include "model/ScriptTotalInfo.h"
#include "model/StandardSettingInfo.h"
#include "model/StringTable.h"

namespace kelvadeck {

class ComQue;
class HidBackend;
class USBHidManager;
class UserDefaults;

// Owns every long-lived object of the configurator and the in-memory copy of the
// device's flash: 32 sector buffers (each with a read flag) that the device jobs
// fill and write from, and one contiguous 2 MiB image used by backup and restore.
// Decodes the settings and script directory sectors into the settings model and
// encodes the model back. Toolkit-free; runs on the one thread that owns the model.
class DataManager : public DeviceDataStore {
public:
    struct Options {
        std::string language;       // "" or "en": English; "ja...": Japanese
        std::string resourceDir;    // folder holding presetdata/ (may be empty)
        UserDefaults* defaults = nullptr;  // may be null: US keyboard
        Logger logger;
        // Where the device is looked for; null: nowhere (no device is ever found).
        std::shared_ptr<HidBackend> hidBackend;
        // The system calls SaveFile writes with (tests make them fail).
        const FileSystemOps* fileOps = &FileSystemOps::Real();
    };

    DataManager();
    explicit DataManager(Options options);
    ~DataManager() override;
    DataManager(const DataManager&) = delete;
    DataManager& operator=(const DataManager&) = delete;

    void InitMember();
    void DestroyMember();
    // Empties the settings model; with clearImage also wipes every sector buffer
    // to 0xFF, clears the read flags and wipes the whole image.
    void ResetMember(bool clearImage);
    void ClearIOmemory();
    // Whole image -> sector buffers (all flagged read) -> decoded model.
    bool RenewMemBuf();
    void SetDataUpdate(bool value) override { g_bDataUpdate = value; }
    void CreateTable();

    // Sectors 0 and 1 -> settings model. Never fails on bad bytes: out-of-range
    // values get defaults. False only when the manager is not set up.
    bool DataInitializeFromMemory();
    // While the boot read still runs and the settings blocks are in: decodes
    // the buffers as they are, so the main screen can show the device's
    // settings before the script directory has arrived. Nothing is marked
    // decoded or read (bDataInitialize stays false) and the queue runs on;
    // DataInitializeFromMemory decodes again at the end. False when the model
    // is decoded already.
    bool PreviewFromMemory();
    // Settings model -> sectors 0 and 1. False (nothing written) without a decoded model.
    bool DataOutputToMemory();
    void AnalyzeDialFuncSettingFromFlashdata(MacroDataDialFunc& action, uint8_t& item1, uint8_t& item2, uint8_t& item3) const;
    void AnalyzeSwitchFuncSettingFromFlashdata(MacroDataDialFunc& action) const;
    // Copies and decodes the scripts stored in a data sector (2..31).
    bool SetScriptDataFromFlashSector(int sector);
    // Stores an encoded script in slot scriptNo (1..200) and repacks its data
    // sector. False (nothing changed) when the number is out of range or the
    // script is larger than FM_SCRIPT_DATA_MAX_SIZE. An empty script empties the slot.
    bool RenewMacroScriptInfo(int scriptNo, const MacroCreator& macro);

    // Switch presets. Every (mode, button) owns a preset slot, script number
    // 151 + mode * 11 + button, that holds the script made from its preset.
    static int PresetScriptNo(int mode, int button) {
        return Constants::SCRIPT_USER_USE_NUM + 1 + mode * Constants::BUTTON_NUM + button;
    }
    // Records a button's new selection and sets its script number and special
    // function from it. False when the mode or button does not exist.
    bool SetNewSwitchFuncSetting(int mode, int button, const SelectItemElemForSwich& select);
    // Whether the data sector of the button's preset slot has been read; its number goes to sector.
    bool HasSwitchPresetScriptInfo(int mode, int button, int& sector) const;
    // Stores the preset file of a preset selection in the button's preset slot.
    // Returns the slot's script number; 0 when the selection is no preset; a
    // PRESET_* error (negative) when nothing was stored.
    static constexpr int PRESET_NO_MODE = -1;          // mode or button does not exist
    static constexpr int PRESET_FILE_MISSING = -2;     // no such preset file
    static constexpr int PRESET_FILE_UNREADABLE = -3;  // the file could not be read whole
    static constexpr int PRESET_FILE_TOO_LARGE = -4;   // larger than a script slot holds
    static constexpr int PRESET_SECTOR_NOT_READ = -5;  // the slot's sector is not loaded
    int RenewSwitchScriptInfoFromPreset(int mode, int button, const SelectItemElemForSwich& select);

    // Whole-file I/O for backup files. SaveFile replaces the file only once
    // every byte is on disk (AtomicFile): false, with the reason in error and
    // any older file at path untouched, when it cannot be written. ReadFile
    // is false when the file holds fewer than size bytes (only the first
    // size bytes are read).
    [[nodiscard]] bool SaveFile(const std::string& path, const uint8_t* data, size_t size, std::string& error) const;
    [[nodiscard]] bool SaveFile(const std::string& path, const uint8_t* data, size_t size) const;
    [[nodiscard]] bool ReadFile(const std::string& path, uint8_t* data, size_t size) const;

    // Flags
    bool bDataUpdate() const { return g_bDataUpdate; }
    bool bDataInitialize() const { return g_bDataInitialize; }
    bool IsInitialized() const { return g_bInitFlag; }

    // Flash image access
    uint8_t* SectorBuffer(int sector) override { return g_arFlashImage[static_cast<size_t>(sector)].data(); }
    const uint8_t* SectorBuffer(int sector) const { return g_arFlashImage[static_cast<size_t>(sector)].data(); }
    bool SectorReadFlag(int sector) const { return g_bFlashImageReadFlag[static_cast<size_t>(sector)] != 0; }
    void SetSectorReadFlag(int sector, bool read) override { g_bFlashImageReadFlag[static_cast<size_t>(sector)] = read ? 1 : 0; }
    // A read of the sector from the device has completed (the whole sector,
    // or every stored script of a data sector): flagged read, and the buffer
    // shows the device again, so no before-image of it is pending any more.
    void SectorReadFromDevice(int sector) override;
    uint8_t* WholeImage() override { return g_cFlashImage.data(); }
    const uint8_t* WholeImage() const { return g_cFlashImage.data(); }

    // Owned objects
    Utility& pUtl() { return *g_pUtl; }
    KeyCode& pKeyCode() { return *g_pKeyCode; }
    const KeyCode& pKeyCode() const { return *g_pKeyCode; }
    const StringTable& Strings() const { return m_strings; }
    const Logger& Log() const { return m_options.logger; }
    const FunctionCatalogues& Catalogues() const { return m_catalogues; }
    ComQue& pComQue() { return *g_pComQue; }
    USBHidManager& pUSBHID() { return *g_pUSBHID; }
    const USBHidManager& pUSBHID() const { return *g_pUSBHID; }
    // Before-images of the device's sectors and the undo of the last writes.
    WriteHistory& History() { return m_history; }
    const WriteHistory& History() const { return m_history; }

    // What the device jobs need of the model, and what they report.
    StandardSettingInfo& BaseSettings() override { return g_pSSI; }
    const std::vector<DialMacroInfo>& DialMacros() const override { return g_arDMI; }
    const std::vector<ScriptElem>& Scripts() const override { return g_arSCE; }
    void DeviceArrived() override { ResetMember(true); }
    void AppendFirmwareVersion(const std::string& text) override;
    void JobStarted() override { m_history.JobStarted(); }
    void EraseSent(int sector) override { m_history.EraseSent(sector); }
    void WholeImageWriteSent() override { m_history.WholeImageWriteSent(); }
    void JobEnded(bool succeeded) override { m_history.JobEnded(succeeded); }
    void DeviceLeft() override { m_history.Forget(); }

    // The settings model (public as the screens edit it in place).
    StandardSettingInfo g_pSSI;
    std::vector<ProfileSettingInfo> g_arPSI;
    std::vector<DialMacroInfo> g_arDMI;
    ScriptTotalInfo g_pSCTI;
    std::vector<ScriptElem> g_arSCE;

private:
    // Sectors 0 and 1 -> the model (its settings records and directory replaced).
    void DecodeSectors();
    void RebuildScriptSector(int sector);

    Options m_options;
    StringTable m_strings;
    FunctionCatalogues m_catalogues;
    bool g_bInitFlag = false;
    bool g_bDataUpdate = false;
    bool g_bDataInitialize = false;
    std::unique_ptr<Utility> g_pUtl;
    std::unique_ptr<KeyCode> g_pKeyCode;
    std::array<uint8_t, FlashControl::FM_SECTOR_NUM> g_bFlashImageReadFlag{};
    std::array<std::vector<uint8_t>, FlashControl::FM_SECTOR_NUM> g_arFlashImage;
    std::vector<uint8_t> g_cFlashImage;
    std::unique_ptr<ComQue> g_pComQue;
    std::unique_ptr<USBHidManager> g_pUSBHID;
    WriteHistory m_history{*this};
};

}  // namespace kelvadeck
