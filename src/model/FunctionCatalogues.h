#pragma once

#include <cstdint>
#include <vector>

#include "model/FuncSettingElem.h"

namespace kelvadeck {

class StringTable;

// The 21 lists the user picks dial and button functions from: categories, preset
// applications and function lists. Built once with the language active then.
// The position of an entry is its ID in every list but the two duplicate-entry
// lists at the end, so a stored selection reads as IDs or positions alike.
class FunctionCatalogues {
public:
    using List = std::vector<FuncSettingElem>;

    List arDF_Category;
    List arDF_Application;
    List arDF_FuncList_Key;
    List arDF_FuncList_Mouse;
    List arDF_FuncList_Gamepad;
    List arDF_FuncList_Multimedia;
    List arDF_FuncList_UserDialMacro;
    List arDF_FuncList_Photoshop;
    List arDF_FuncList_ClipStudio;
    List arDF_FuncList_Sai;
    List arDF_FuncList_Illustrator;
    List arDF_FuncList_Lightroom;
    List arSF_Category;
    List arSF_Application;
    List arSF_FuncList_General;
    List arSF_FuncList_Photoshop;
    List arSF_FuncList_ClipStudio;
    List arSF_FuncList_Sai;
    List arSF_FuncList_Illustrator;
    List arSF_FuncList_Lightroom;
    List arSF_FuncList_Multimedia;

    // Fills all 21 lists (emptying them first).
    void CreateTable(const StringTable& strings);

    // The function list a dial selection (category, application) leads to; for
    // the preset category the application's list. Null when it leads nowhere.
    const List* DialFunctionList(uint8_t category, uint8_t application) const;
    // The same for a button selection (the macro and not-set categories have no list).
    const List* SwitchFunctionList(uint8_t category, uint8_t application) const;
    // Position of the first entry whose bTypeNo equals typeNo, or -1.
    static int FindByTypeNo(const List& list, uint8_t typeNo);
};

}  // namespace kelvadeck
