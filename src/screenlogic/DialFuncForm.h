#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macro/HostInputEvent.h"
#include "model/FlashControl.h"
#include "model/FunctionCatalogues.h"
#include "model/ProfileSettingInfo.h"
#include "model/SelectItemElemForDial.h"
#include "screenlogic/FuncInputArea.h"

namespace kelvadeck {

class DataManager;
class StringTable;

// What the dial function setting screen decides, without a window: the
// working copy of the current mode, which of its four dial functions is being
// edited, both turning directions' selections in their cascading tables, the
// value areas and sensitivities, the names and colours, and the write of the
// whole mode to the device. The clockwise side is "right" (_R), the
// counter-clockwise side "left" (_L).
class DialFuncForm {
public:
    enum class Submitted {
        Failed,   // nothing written, the live model as before; errorKey tells why
        Writing,  // the write job runs
    };

    static constexpr int SENSITIVITY_LOWEST = 1;
    static constexpr int SENSITIVITY_HIGHEST = 100;
    // The longest name a dial function stores, in UTF-16 code units.
    static constexpr int NAME_MAX_UNITS = (FlashControl::FM_FUNCTION_NAME_MAX_SIZE - 1) / 2;

    // Takes the working copy of the current mode and chooses the function.
    // False when there is no decoded model or no such function.
    bool Open(const DataManager& dm, uint8_t func);
    bool IsOpen() const { return m_bOpen; }
    // The working copy differs from the live record it was taken from: closing
    // now would drop the user's edits. An empty name is no name.
    bool HasChanges(const DataManager& dm) const;
    // Chooses another function of the working copy for the tables and areas.
    bool SelectDialFuncID(uint8_t func);

    uint8_t bSelectProfileID = 0;
    uint8_t bSelectDialFuncID = 0;
    ProfileSettingInfo m_pPSIShadow;
    // The chosen function's selection as it was when the function was chosen.
    SelectItemElemForDial pclsCurrentSIE;
    // The chosen function's selection in the working copy.
    SelectItemElemForDial& NewSIE();
    const SelectItemElemForDial& NewSIE() const;

    // Rows of a table: tags 0 to 2 are the clockwise category, application
    // and detail tables, 3 to 5 the counter-clockwise ones.
    std::vector<std::string> Rows(int tag, const DataManager& dm) const;
    // Records a choice in a table; false for a tag other than 0 to 5.
    bool ChangeSelectItem(int tag, int row);
    // The selected rows of a side (category, application, detail).
    void SelectedRows(bool right, int& category, int& application, int& detail) const;
    FuncInputArea::Area InputArea(bool right) const;

    DialFuncElem& Function(int k);
    const DialFuncElem& Function(int k) const;
    MacroDataDialFunc& Action(bool right);
    const MacroDataDialFunc& Action(bool right) const;

    // The name shown for function k (the placeholder text when it has none).
    std::string FunctionName(int k, const StringTable& strings) const;
    void SetFunctionName(int k, const std::string& utf8);
    // Takes the colour of function k from the live model, where the LED colour
    // screen has put it.
    void TakeColorFromLive(const DataManager& dm, int k);

    // A sensitivity typed in is bounded to 1 ... 100.
    static int ClampSensitivity(long long value);
    // The side's sensitivity as shown: the record's own, within the bounds.
    int Sensitivity(bool right) const;
    // Both sides' records take their side's sensitivity (low 8 bits).
    void SetSensitivity(int right, int left);

    // A key captured (or none: only a box changed) with the side's boxes.
    // The clockwise side stores the right-hand modifier bits, the
    // counter-clockwise side the left-hand ones.
    void RenewKeyInputInfo(bool right, const HostInputEvent* captured, const FuncInputArea::ModifierBoxes& boxes,
                           const DataManager& dm);
    void ClearKey(bool right, const DataManager& dm);
    void SetNumber(bool right, int value);
    void SetDistance(bool right, int x, int y);

    // Rebuilds all four functions from their selections, puts the working
    // copy into the live model and starts the write.
    Submitted Submit(DataManager& dm, std::string& errorKey);

private:
    void RestoreLiveRecord(DataManager& dm) const;
    uint8_t SensitivityByte(bool right) const;

    bool m_bOpen = false;
    // The live record as it was before Submit.
    ProfileSettingInfo m_liveBefore;
};

}  // namespace kelvadeck
