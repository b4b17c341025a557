#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "model/FunctionCatalogues.h"
#include "model/StringTable.h"

namespace kelvadeck {
namespace {

using List = FunctionCatalogues::List;
using Member = List FunctionCatalogues::*;

// Catalogues built with empty string tables: every name is its key.
FunctionCatalogues KeyCatalogues() {
    FunctionCatalogues catalogues;
    catalogues.CreateTable(StringTable("en", "", ""));
    return catalogues;
}

FunctionCatalogues EnglishCatalogues() {
    FunctionCatalogues catalogues;
    catalogues.CreateTable(StringTable());
    return catalogues;
}

struct ListCase {
    const char* name;
    Member member;
    size_t size;
};

// In build order.
const ListCase kLists[] = {
    {"arDF_Category", &FunctionCatalogues::arDF_Category, 7},
    {"arDF_Application", &FunctionCatalogues::arDF_Application, 5},
    {"arDF_FuncList_Key", &FunctionCatalogues::arDF_FuncList_Key, 3},
    {"arDF_FuncList_Mouse", &FunctionCatalogues::arDF_FuncList_Mouse, 8},
    {"arDF_FuncList_Gamepad", &FunctionCatalogues::arDF_FuncList_Gamepad, 19},
    {"arDF_FuncList_Multimedia", &FunctionCatalogues::arDF_FuncList_Multimedia, 11},
    {"arDF_FuncList_UserDialMacro", &FunctionCatalogues::arDF_FuncList_UserDialMacro, 3},
    {"arDF_FuncList_Photoshop", &FunctionCatalogues::arDF_FuncList_Photoshop, 16},
    {"arDF_FuncList_ClipStudio", &FunctionCatalogues::arDF_FuncList_ClipStudio, 10},
    {"arDF_FuncList_Sai", &FunctionCatalogues::arDF_FuncList_Sai, 10},
    {"arDF_FuncList_Illustrator", &FunctionCatalogues::arDF_FuncList_Illustrator, 2},
    {"arDF_FuncList_Lightroom", &FunctionCatalogues::arDF_FuncList_Lightroom, 8},
    {"arSF_Category", &FunctionCatalogues::arSF_Category, 8},
    {"arSF_Application", &FunctionCatalogues::arSF_Application, 4},
    {"arSF_FuncList_General", &FunctionCatalogues::arSF_FuncList_General, 13},
    {"arSF_FuncList_Photoshop", &FunctionCatalogues::arSF_FuncList_Photoshop, 46},
    {"arSF_FuncList_ClipStudio", &FunctionCatalogues::arSF_FuncList_ClipStudio, 36},
    {"arSF_FuncList_Sai", &FunctionCatalogues::arSF_FuncList_Sai, 33},
    {"arSF_FuncList_Illustrator", &FunctionCatalogues::arSF_FuncList_Illustrator, 59},
    {"arSF_FuncList_Lightroom", &FunctionCatalogues::arSF_FuncList_Lightroom, 2},
    {"arSF_FuncList_Multimedia", &FunctionCatalogues::arSF_FuncList_Multimedia, 2},
};

bool IsDuplicateEntryList(Member member) {
    return member == &FunctionCatalogues::arSF_FuncList_Lightroom ||
           member == &FunctionCatalogues::arSF_FuncList_Multimedia;
}

TEST(FunctionCatalogues, ListSizes) {
    const FunctionCatalogues catalogues = EnglishCatalogues();
    for (const ListCase& c : kLists) {
        EXPECT_EQ((catalogues.*c.member).size(), c.size) << c.name;
    }
}

TEST(FunctionCatalogues, CreatingAgainReplacesTheLists) {
    FunctionCatalogues catalogues = EnglishCatalogues();
    catalogues.CreateTable(StringTable());
    for (const ListCase& c : kLists) {
        EXPECT_EQ((catalogues.*c.member).size(), c.size) << c.name;
    }
}

TEST(FunctionCatalogues, PositionIsTheIdExceptInTheDuplicateLists) {
    const FunctionCatalogues catalogues = EnglishCatalogues();
    for (const ListCase& c : kLists) {
        const List& list = catalogues.*c.member;
        for (size_t pos = 0; pos < list.size(); ++pos) {
            if (IsDuplicateEntryList(c.member)) {
                EXPECT_EQ(list[pos].bID, 0) << c.name << " position " << pos;
                EXPECT_EQ(list[pos].bTypeNo, 0) << c.name << " position " << pos;
                EXPECT_EQ(list[pos].strName, list[0].strName) << c.name;
            } else {
                EXPECT_EQ(list[pos].bID, pos) << c.name;
            }
        }
    }
}

// The type numbers are what the device stores; written out here as numbers.
struct TypeCase {
    const char* name;
    Member member;
    std::vector<int> types;
};

std::vector<int> Range(int first, int last) {
    std::vector<int> values;
    for (int v = first; v <= last; ++v) {
        values.push_back(v);
    }
    return values;
}

TEST(FunctionCatalogues, TypeNumbers) {
    const TypeCase cases[] = {
        {"key", &FunctionCatalogues::arDF_FuncList_Key, {40, 41, 9}},
        {"mouse", &FunctionCatalogues::arDF_FuncList_Mouse, Range(1, 8)},
        {"gamepad", &FunctionCatalogues::arDF_FuncList_Gamepad, Range(21, 39)},
        {"multimedia", &FunctionCatalogues::arDF_FuncList_Multimedia, Range(10, 20)},
        {"user dial macro", &FunctionCatalogues::arDF_FuncList_UserDialMacro, Range(42, 44)},
        {"general", &FunctionCatalogues::arSF_FuncList_General, Range(1, 13)},
    };
    const FunctionCatalogues catalogues = EnglishCatalogues();
    for (const TypeCase& c : cases) {
        const List& list = catalogues.*c.member;
        ASSERT_EQ(list.size(), c.types.size()) << c.name;
        for (size_t pos = 0; pos < list.size(); ++pos) {
            EXPECT_EQ(list[pos].bTypeNo, c.types[pos]) << c.name << " position " << pos;
        }
    }
}

TEST(FunctionCatalogues, CategoriesApplicationsAndPresetsHaveTypeZero) {
    const FunctionCatalogues catalogues = EnglishCatalogues();
    const Member zeroTyped[] = {
        &FunctionCatalogues::arDF_Category,          &FunctionCatalogues::arDF_Application,
        &FunctionCatalogues::arDF_FuncList_Photoshop, &FunctionCatalogues::arDF_FuncList_ClipStudio,
        &FunctionCatalogues::arDF_FuncList_Sai,      &FunctionCatalogues::arDF_FuncList_Illustrator,
        &FunctionCatalogues::arDF_FuncList_Lightroom, &FunctionCatalogues::arSF_Category,
        &FunctionCatalogues::arSF_Application,       &FunctionCatalogues::arSF_FuncList_Photoshop,
        &FunctionCatalogues::arSF_FuncList_ClipStudio, &FunctionCatalogues::arSF_FuncList_Sai,
        &FunctionCatalogues::arSF_FuncList_Illustrator,
    };
    for (Member member : zeroTyped) {
        for (const FuncSettingElem& entry : catalogues.*member) {
            EXPECT_EQ(entry.bTypeNo, 0) << entry.strName;
        }
    }
}

TEST(FunctionCatalogues, FindByTypeNo) {
    const FunctionCatalogues catalogues = EnglishCatalogues();
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(catalogues.arDF_FuncList_Key, 9), 2);
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(catalogues.arDF_FuncList_Mouse, 7), 6);
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(catalogues.arDF_FuncList_Gamepad, 39), 18);
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(catalogues.arDF_FuncList_Key, 7), -1);
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(catalogues.arDF_FuncList_Mouse, 0), -1);
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(List{}, 0), -1);
    // The first match wins.
    const List twice = {{0, 5, "a"}, {1, 5, "b"}};
    EXPECT_EQ(FunctionCatalogues::FindByTypeNo(twice, 5), 0);
}

TEST(FunctionCatalogues, GamepadOrderSticksButtonsHats) {
    const FunctionCatalogues keys = KeyCatalogues();
    std::vector<std::string> expected = {"SET_TYPE_JOYSTICK_LEFT_ANALOG", "SET_TYPE_JOYSTICK_RIGHT_ANALOG"};
    for (int b = 1; b <= 13; ++b) {
        char key[32];
        std::snprintf(key, sizeof key, "SET_TYPE_JOYSTICK_B%02d", b);
        expected.push_back(key);
    }
    for (const char* hat : {"N", "S", "W", "E"}) {
        expected.push_back(std::string("SET_TYPE_JOYSTICK_HAT_") + hat);
    }
    std::vector<std::string> actual;
    for (const FuncSettingElem& entry : keys.arDF_FuncList_Gamepad) {
        actual.push_back(entry.strName);
    }
    EXPECT_EQ(actual, expected);
}

TEST(FunctionCatalogues, DialSelectionLeadsToItsList) {
    const FunctionCatalogues c = EnglishCatalogues();
    struct Case {
        uint8_t category;
        uint8_t application;
        const List* expected;
    };
    const Case cases[] = {
        {0, 0, nullptr},
        {1, 0, &c.arDF_FuncList_Key},
        {1, 200, &c.arDF_FuncList_Key},  // the application counts only for presets
        {2, 0, &c.arDF_FuncList_Mouse},
        {3, 0, &c.arDF_FuncList_Gamepad},
        {4, 0, &c.arDF_FuncList_Multimedia},
        {5, 0, &c.arDF_FuncList_UserDialMacro},
        {6, 0, &c.arDF_FuncList_Photoshop},
        {6, 1, &c.arDF_FuncList_ClipStudio},
        {6, 2, &c.arDF_FuncList_Sai},
        {6, 3, &c.arDF_FuncList_Illustrator},
        {6, 4, &c.arDF_FuncList_Lightroom},
        {6, 5, nullptr},
        {6, 255, nullptr},
        {7, 0, nullptr},
        {255, 0, nullptr},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(c.DialFunctionList(k.category, k.application), k.expected)
            << "category " << int(k.category) << " application " << int(k.application);
    }
}

TEST(FunctionCatalogues, SwitchSelectionLeadsToItsList) {
    const FunctionCatalogues c = EnglishCatalogues();
    struct Case {
        uint8_t category;
        uint8_t application;
        const List* expected;
    };
    const Case cases[] = {
        {0, 0, nullptr},
        {1, 0, &c.arSF_FuncList_General},
        {2, 0, nullptr},  // macros list the user's scripts
        {3, 0, &c.arSF_FuncList_Photoshop},
        {3, 1, &c.arSF_FuncList_ClipStudio},
        {3, 2, &c.arSF_FuncList_Sai},
        {3, 3, &c.arSF_FuncList_Illustrator},
        {3, 4, nullptr},  // no button presets for Lightroom
        {3, 255, nullptr},
        {4, 0, &c.arDF_FuncList_Key},
        {5, 0, &c.arDF_FuncList_Mouse},
        {6, 0, &c.arDF_FuncList_Gamepad},
        {7, 9, &c.arDF_FuncList_Multimedia},
        {8, 0, nullptr},
        {255, 255, nullptr},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(c.SwitchFunctionList(k.category, k.application), k.expected)
            << "category " << int(k.category) << " application " << int(k.application);
    }
}

TEST(FunctionCatalogues, ButtonKeyCategoryShowsTheDialKeyList) {
    const FunctionCatalogues c = KeyCatalogues();
    const List* list = c.SwitchFunctionList(4, 0);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0].strName, "SET_TYPE_NUMBER_UP");
    EXPECT_EQ((*list)[1].strName, "SET_TYPE_NUMBER_DOWN");
    EXPECT_EQ((*list)[2].strName, "SET_TYPE_KEYBOARD");
    // and the button category is named like the dial one
    EXPECT_EQ(c.arSF_Category[4].strName, c.arDF_Category[1].strName);
}

TEST(FunctionCatalogues, EveryNameIsARealEnglishText) {
    const FunctionCatalogues keys = KeyCatalogues();
    const FunctionCatalogues english = EnglishCatalogues();
    for (const ListCase& c : kLists) {
        const List& keyList = keys.*c.member;
        const List& textList = english.*c.member;
        ASSERT_EQ(keyList.size(), textList.size()) << c.name;
        for (size_t pos = 0; pos < keyList.size(); ++pos) {
            EXPECT_FALSE(textList[pos].strName.empty()) << keyList[pos].strName;
            EXPECT_NE(textList[pos].strName, keyList[pos].strName) << c.name << " position " << pos;
        }
    }
}

TEST(FunctionCatalogues, NamesWithinAListCanBeToldApart) {
    const FunctionCatalogues english = EnglishCatalogues();
    for (const ListCase& c : kLists) {
        if (IsDuplicateEntryList(c.member)) {
            continue;
        }
        std::set<std::string> seen;
        for (const FuncSettingElem& entry : english.*c.member) {
            EXPECT_TRUE(seen.insert(entry.strName).second) << c.name << ": \"" << entry.strName << "\" twice";
        }
    }
}

TEST(FunctionCatalogues, JapaneseBuildHasNamesForEveryEntry) {
    FunctionCatalogues catalogues;
    catalogues.CreateTable(StringTable("ja_JP"));
    const FunctionCatalogues keys = KeyCatalogues();
    for (const ListCase& c : kLists) {
        const List& list = catalogues.*c.member;
        ASSERT_EQ(list.size(), c.size) << c.name;
        for (size_t pos = 0; pos < list.size(); ++pos) {
            EXPECT_NE(list[pos].strName, (keys.*c.member)[pos].strName) << c.name << " position " << pos;
        }
    }
}

TEST(FunctionCatalogues, ButtonPresetKeysFollowTheNumberingRule) {
    const FunctionCatalogues keys = KeyCatalogues();
    struct App {
        const char* word;
        const List* list;
    };
    const App apps[] = {{"PHOTOSHOP", &keys.arSF_FuncList_Photoshop},
                        {"CLIPSTUDIO", &keys.arSF_FuncList_ClipStudio},
                        {"SAI", &keys.arSF_FuncList_Sai},
                        {"ILLUSTRATOR", &keys.arSF_FuncList_Illustrator}};
    for (const App& app : apps) {
        for (size_t pos = 0; pos < app.list->size(); ++pos) {
            char prefix[64];
            std::snprintf(prefix, sizeof prefix, "FUNC_SETTING_CATEGOLY_PRESET_%s_%02zu_", app.word, pos + 1);
            const std::string& key = (*app.list)[pos].strName;
            EXPECT_EQ(key.rfind(prefix, 0), 0u) << key;
            EXPECT_GT(key.size(), std::string(prefix).size()) << key;
        }
    }
}

TEST(FunctionCatalogues, PresetKeySpotChecks) {
    const FunctionCatalogues k = KeyCatalogues();
    struct Case {
        const List* list;
        size_t pos;
        const char* key;
    };
    const Case cases[] = {
        {&k.arSF_FuncList_Photoshop, 0, "FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_01_SPACE"},
        {&k.arSF_FuncList_Photoshop, 2, "FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_03_ERASER"},
        {&k.arSF_FuncList_Photoshop, 45, "FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_46_SHOW_OPTIONS"},
        {&k.arSF_FuncList_ClipStudio, 18, "FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_19_SYRINGE"},
        {&k.arSF_FuncList_ClipStudio, 27, "FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_28_SYRINGE"},
        {&k.arSF_FuncList_ClipStudio, 35, "FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_36_ESC"},
        {&k.arSF_FuncList_Sai, 0, "FUNC_SETTING_CATEGOLY_PRESET_SAI_01_RESTORE"},
        {&k.arSF_FuncList_Sai, 32, "FUNC_SETTING_CATEGOLY_PRESET_SAI_33_SHIFT"},
        {&k.arSF_FuncList_Illustrator, 9, "FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR_10_SPELL_CHECK"},
        {&k.arSF_FuncList_Illustrator, 58, "FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR_59_SHIFT"},
        {&k.arSF_FuncList_Lightroom, 1, "FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_01_"},
        {&k.arSF_FuncList_Multimedia, 1, "FUNC_SETTING_CATEGOLY_PRESET_MULTIMEDIA_01_"},
        {&k.arDF_FuncList_Photoshop, 11, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_12_LETTER_SPACE_NARROW"},
        {&k.arDF_FuncList_Photoshop, 12, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_15_BLUSH_HARD_UP"},
        {&k.arDF_FuncList_Lightroom, 7, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_8_BLUSH_BLUR_SIZE_DOWN"},
        {&k.arDF_FuncList_Illustrator, 1, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR_2_ZOOMOUT"},
        {&k.arSF_Category, 7, "DIAL_FUNC_SETTING_CATEGOLY_MULTIMEDIA"},
        {&k.arSF_FuncList_General, 8, "SP_FUNC_TYPE_FUNC1_PUSH"},
        {&k.arDF_FuncList_Mouse, 5, "SET_TYPE_MOUSE_DOUBLE_CLICK"},
    };
    for (const Case& c : cases) {
        ASSERT_LT(c.pos, c.list->size()) << c.key;
        EXPECT_EQ((*c.list)[c.pos].strName, c.key);
    }
}

}  // namespace
}  // namespace kelvadeck
