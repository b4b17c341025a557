#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macro/HostInputEvent.h"
#include "model/FunctionCatalogues.h"
#include "model/ProfileSettingInfo.h"
#include "model/SelectItemElemForSwich.h"
#include "screenlogic/FuncInputArea.h"

namespace kelvadeck {

class DataManager;
class StringTable;

// What the switch function setting screen decides, without a window: the
// working copy of the mode, the selection in the three cascading tables, the
// value areas and the write to the device (directly, or through the button's
// preset slot, whose flash sector may have to be read first).
class SwitchFuncForm {
public:
    enum class Submitted {
        Failed,         // nothing started; errorKey tells why
        ReadingSector,  // the preset slot's sector is being read; call ContinueAfterSectorRead when it ends
        Writing,        // the write job runs
    };

    // Takes the working copy of the current mode and the button's selection.
    // False when there is no decoded model or no such button.
    bool Open(const DataManager& dm, uint8_t button);
    // The selection or the working copy differ from what the screen opened
    // with: closing now would drop the user's edits.
    bool HasChanges(const DataManager& dm) const;

    uint8_t bSelectProfileID = 0;
    uint8_t bSelectSwitchFuncID = 0;
    uint8_t bTargetSectorNo = 0;
    ProfileSettingInfo m_pPSIShadow;
    SelectItemElemForSwich pclsCurrentSIE;
    SelectItemElemForSwich pclsNewSIE;

    // Rows of the tables (tag 0 category, 1 application, 2 detail) as shown.
    std::vector<std::string> Rows(int tag, const DataManager& dm) const;
    // Records a choice in a table; false for a tag other than 0 to 2.
    bool ChangeSelectItem(int tag, int row);
    FuncInputArea::Area InputArea() const { return FuncInputArea::ForSwitch(pclsNewSIE.bItemID1, pclsNewSIE.bItemID3); }
    // The assignment as it was when the screen opened.
    std::string CurrentAssignmentText(const DataManager& dm) const;
    // The push switch's default dial function choices (four items).
    std::vector<std::string> DialDefaultItems(const StringTable& strings) const;
    void ChangeEncoderDefault(int index);

    MacroDataDialFunc& Action();
    const MacroDataDialFunc& Action() const;
    // A key captured (or none: only a box changed) with the boxes' modifiers.
    void RenewKeyInputInfo(const HostInputEvent* captured, const FuncInputArea::ModifierBoxes& boxes, const DataManager& dm);
    void ClearKey(const DataManager& dm);
    void SetNumber(int value);
    void SetDistance(int x, int y);

    // Puts the working copy into the live model and starts the write.
    Submitted Submit(DataManager& dm, std::string& errorKey);
    // After the sector read: decode it and write the preset; Failed (with the
    // model as it was before Submit) when the read or the preset failed.
    Submitted ContinueAfterSectorRead(DataManager& dm, bool readSucceeded, std::string& errorKey);

private:
    Submitted WritePreset(DataManager& dm, std::string& errorKey);
    Submitted StartWrite(DataManager& dm, int scriptNo, bool withScripts, std::string& errorKey);
    void RestoreLiveRecord(DataManager& dm) const;
    const FunctionCatalogues::List* DetailList(const FunctionCatalogues& c) const;

    bool m_bOpen = false;
    // The live record as it was before Submit, put back when a preset fails.
    ProfileSettingInfo m_liveBefore;
};

}  // namespace kelvadeck
