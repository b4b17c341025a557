#include "model/FunctionCatalogues.h"

#include <iterator>
#include <span>
#include <string>
#include <string_view>

#include "model/Constants.h"
#include "model/StringTable.h"

namespace kelvadeck {

namespace {

using C = Constants;

struct Row {
    uint8_t id;
    uint8_t typeNo;
    const char* key;
};

constexpr Row kDialCategories[] = {
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_NOT_SET, 0, "DIAL_FUNC_SETTING_CATEGOLY_NOT_SET"},
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, 0, "DIAL_FUNC_SETTING_CATEGOLY_KEY"},
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE, 0, "DIAL_FUNC_SETTING_CATEGOLY_MOUSE"},
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD, 0, "DIAL_FUNC_SETTING_CATEGOLY_GAMEPAD"},
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA, 0, "DIAL_FUNC_SETTING_CATEGOLY_MULTIMEDIA"},
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_USERDIALMACRO, 0, "DIAL_FUNC_SETTING_CATEGOLY_USER_DIAL_MACRO"},
    {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 0, "DIAL_FUNC_SETTING_CATEGOLY_PRESET"},
};

constexpr Row kDialApplications[] = {
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, 0, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_CLIPSTUDIO, 0, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_SAI, 0, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_ILLUSTRATOR, 0, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM, 0, "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM"},
};

constexpr Row kKeyFunctions[] = {
    {C::APP_DATA_DIAL_FUNC_KEY_ID_NUM_UP, C::SET_TYPE_NUMBER_UP, "SET_TYPE_NUMBER_UP"},
    {C::APP_DATA_DIAL_FUNC_KEY_ID_NUM_DOWN, C::SET_TYPE_NUMBER_DOWN, "SET_TYPE_NUMBER_DOWN"},
    {C::APP_DATA_DIAL_FUNC_KEY_ID_KEY, C::SET_TYPE_KEYBOARD_KEY, "SET_TYPE_KEYBOARD"},
};

constexpr Row kMouseFunctions[] = {
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_L_CLICK, C::SET_TYPE_MOUSE_LCLICK, "SET_TYPE_MOUSE_L_CLICK"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_R_CLICK, C::SET_TYPE_MOUSE_RCLICK, "SET_TYPE_MOUSE_R_CLICK"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_CLICK, C::SET_TYPE_MOUSE_WHCLICK, "SET_TYPE_MOUSE_WH_CLICK"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_B4, C::SET_TYPE_MOUSE_B4CLICK, "SET_TYPE_MOUSE_B4_CLICK"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_B5, C::SET_TYPE_MOUSE_B5CLICK, "SET_TYPE_MOUSE_B5_CLICK"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_DCLICK, C::SET_TYPE_MOUSE_DCLICK, "SET_TYPE_MOUSE_DOUBLE_CLICK"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE, C::SET_TYPE_MOUSE_MOVE, "SET_TYPE_MOUSE_MOVE"},
    {C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_SCROLL, C::SET_TYPE_MOUSE_WHSCROLL, "SET_TYPE_MOUSE_WH_SCROLL"},
};

// The two sticks, buttons 1 to 13, then the four hat directions.
constexpr Row kGamepadFunctions[] = {
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_LEFT_ANALOG, C::SET_TYPE_JOYPAD_XY, "SET_TYPE_JOYSTICK_LEFT_ANALOG"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_RIGHT_ANALOG, C::SET_TYPE_JOYPAD_ZRZ, "SET_TYPE_JOYSTICK_RIGHT_ANALOG"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B01, C::SET_TYPE_JOYPAD_B01, "SET_TYPE_JOYSTICK_B01"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B02, C::SET_TYPE_JOYPAD_B02, "SET_TYPE_JOYSTICK_B02"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B03, C::SET_TYPE_JOYPAD_B03, "SET_TYPE_JOYSTICK_B03"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B04, C::SET_TYPE_JOYPAD_B04, "SET_TYPE_JOYSTICK_B04"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B05, C::SET_TYPE_JOYPAD_B05, "SET_TYPE_JOYSTICK_B05"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B06, C::SET_TYPE_JOYPAD_B06, "SET_TYPE_JOYSTICK_B06"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B07, C::SET_TYPE_JOYPAD_B07, "SET_TYPE_JOYSTICK_B07"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B08, C::SET_TYPE_JOYPAD_B08, "SET_TYPE_JOYSTICK_B08"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B09, C::SET_TYPE_JOYPAD_B09, "SET_TYPE_JOYSTICK_B09"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B10, C::SET_TYPE_JOYPAD_B10, "SET_TYPE_JOYSTICK_B10"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B11, C::SET_TYPE_JOYPAD_B11, "SET_TYPE_JOYSTICK_B11"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B12, C::SET_TYPE_JOYPAD_B12, "SET_TYPE_JOYSTICK_B12"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B13, C::SET_TYPE_JOYPAD_B13, "SET_TYPE_JOYSTICK_B13"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_HAT_N, C::SET_TYPE_JOYPAD_HSW_NORTH, "SET_TYPE_JOYSTICK_HAT_N"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_HAT_S, C::SET_TYPE_JOYPAD_HSW_SOUTH, "SET_TYPE_JOYSTICK_HAT_S"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_HAT_W, C::SET_TYPE_JOYPAD_HSW_WEST, "SET_TYPE_JOYSTICK_HAT_W"},
    {C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_HAT_E, C::SET_TYPE_JOYPAD_HSW_EAST, "SET_TYPE_JOYSTICK_HAT_E"},
};

constexpr Row kMultimediaFunctions[] = {
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_PLAY, C::SET_TYPE_MULTIMEDIA_PLAY, "SET_TYPE_MULTIMEDIA_PLAY"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_PAUSE, C::SET_TYPE_MULTIMEDIA_PAUSE, "SET_TYPE_MULTIMEDIA_PAUSE"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_STOP, C::SET_TYPE_MULTIMEDIA_STOP, "SET_TYPE_MULTIMEDIA_STOP"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_REC, C::SET_TYPE_MULTIMEDIA_REC, "SET_TYPE_MULTIMEDIA_REC"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_FORWORD, C::SET_TYPE_MULTIMEDIA_FORWORD, "SET_TYPE_MULTIMEDIA_FORWORD"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_REWIND, C::SET_TYPE_MULTIMEDIA_REWIND, "SET_TYPE_MULTIMEDIA_REWIND"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_NEXT, C::SET_TYPE_MULTIMEDIA_NEXT, "SET_TYPE_MULTIMEDIA_NEXT"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_PREVIOUS, C::SET_TYPE_MULTIMEDIA_PREVIOUS, "SET_TYPE_MULTIMEDIA_PREVIOUS"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_MUTE, C::SET_TYPE_MULTIMEDIA_MUTE, "SET_TYPE_MULTIMEDIA_MUTE"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_VOLUMEUP, C::SET_TYPE_MULTIMEDIA_VOLUMEUP, "SET_TYPE_MULTIMEDIA_VOLUMEUP"},
    {C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_VOLUMEDOWN, C::SET_TYPE_MULTIMEDIA_VOLUMEDOWN,
     "SET_TYPE_MULTIMEDIA_VOLUMEDOWN"},
};

constexpr Row kUserDialMacros[] = {
    {C::DIAL_MACRO_FUNC_TYPE_NO_1, C::SET_TYPE_ENCODER_SCRIPT1, "SET_TYPE_ENCODER_SCRIPT1"},
    {C::DIAL_MACRO_FUNC_TYPE_NO_2, C::SET_TYPE_ENCODER_SCRIPT2, "SET_TYPE_ENCODER_SCRIPT2"},
    {C::DIAL_MACRO_FUNC_TYPE_NO_3, C::SET_TYPE_ENCODER_SCRIPT3, "SET_TYPE_ENCODER_SCRIPT3"},
};

// The key, mouse, gamepad and multimedia categories share the dial's texts.
constexpr Row kSwitchCategories[] = {
    {C::APP_DATA_FUNC_CATEGORY_ID_NOT_SET, 0, "FUNC_SETTING_CATEGOLY_NOT_SET"},
    {C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, "FUNC_SETTING_CATEGOLY_GENERAL"},
    {C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 0, "FUNC_SETTING_CATEGOLY_MACRO"},
    {C::APP_DATA_FUNC_CATEGORY_ID_PRESET, 0, "FUNC_SETTING_CATEGOLY_PRESET"},
    {C::APP_DATA_FUNC_CATEGORY_ID_KEY, 0, "DIAL_FUNC_SETTING_CATEGOLY_KEY"},
    {C::APP_DATA_FUNC_CATEGORY_ID_MOUSE, 0, "DIAL_FUNC_SETTING_CATEGOLY_MOUSE"},
    {C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD, 0, "DIAL_FUNC_SETTING_CATEGOLY_GAMEPAD"},
    {C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA, 0, "DIAL_FUNC_SETTING_CATEGOLY_MULTIMEDIA"},
};

constexpr Row kSwitchApplications[] = {
    {C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP, 0, "FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP"},
    {C::APP_DATA_FUNC_PRESET_ID_CLIPSTUDIO, 0, "FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO"},
    {C::APP_DATA_FUNC_PRESET_ID_SAI, 0, "FUNC_SETTING_CATEGOLY_PRESET_SAI"},
    {C::APP_DATA_FUNC_PRESET_ID_ILLUSTRATOR, 0, "FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR"},
};

// Special functions: the type number is what the device stores for the button.
constexpr Row kGeneralFunctions[] = {
    {0, C::SP_FUNC_MODE, "SP_FUNC_TYPE_MODE"},
    {1, C::SP_FUNC_MODE1, "SP_FUNC_TYPE_MODE1"},
    {2, C::SP_FUNC_MODE2, "SP_FUNC_TYPE_MODE2"},
    {3, C::SP_FUNC_MODE3, "SP_FUNC_TYPE_MODE3"},
    {4, C::SP_FUNC_FUNC1, "SP_FUNC_TYPE_FUNC1"},
    {5, C::SP_FUNC_FUNC2, "SP_FUNC_TYPE_FUNC2"},
    {6, C::SP_FUNC_FUNC3, "SP_FUNC_TYPE_FUNC3"},
    {7, C::SP_FUNC_FUNC4, "SP_FUNC_TYPE_FUNC4"},
    {8, C::SP_FUNC_FUNC1TEMP, "SP_FUNC_TYPE_FUNC1_PUSH"},
    {9, C::SP_FUNC_FUNC2TEMP, "SP_FUNC_TYPE_FUNC2_PUSH"},
    {10, C::SP_FUNC_FUNC3TEMP, "SP_FUNC_TYPE_FUNC3_PUSH"},
    {11, C::SP_FUNC_FUNC4TEMP, "SP_FUNC_TYPE_FUNC4_PUSH"},
    {12, C::SP_FUNC_FUNC, "SP_FUNC_TYPE_FUNC"},
};

// Dial presets: the preset function ID is the position. The numbers inside
// the Photoshop keys skip 13 and 14, so they are not the positions.
constexpr const char* kDialPhotoshop[] = {
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_1_BRUSH_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_2_BRUSH_S",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_3_ROTATION_R",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_4_ROTATION_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_5_IMAGE_ENLARGE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_6_IMAGE_REDUCE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_7_CANVAS_ENLARGE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_8_CANVAS_REDUCE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_9_LINE_SPACE_SPREAD",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_10_LINE_SPACE_NARROW",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_11_LETTER_SPACE_SPREAD",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_12_LETTER_SPACE_NARROW",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_15_BLUSH_HARD_UP",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_16_BLUSH_HARD_DOWN",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_17_OPACITY_UP",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_PHOTOSHOP_18_OPACITY_DOWN",
};
static_assert(std::size(kDialPhotoshop) == C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_NUM);

constexpr const char* kDialClipStudio[] = {
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_1_BRUSH_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_2_BRUSH_S",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_3_ROTATION_R",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_4_ROTATION_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_5_IMAGE_ENLARGE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_6_IMAGE_REDUCE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_7_BLUSH_OPACITY_UP",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_8_BLUSH_OPACITY_DOWN",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_9_ZOOM_IN",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_CLIPSTUDIO_10_ZOOM_OUT",
};
static_assert(std::size(kDialClipStudio) == C::APP_DATA_DIAL_FUNC_PRESET_CLIPSTUDIO_NUM);

constexpr const char* kDialSai[] = {
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_1_BRUSH_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_2_BRUSH_S",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_3_ROTATION_R",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_4_ROTATION_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_5_IMAGE_ENLARGE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_6_IMAGE_REDUCE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_7_CANVAS_ENLARGE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_8_CANVAS_REDUCE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_9_CURSOR_ENLARGE",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_SAI_10_CURSOR_REDUCE",
};
static_assert(std::size(kDialSai) == C::APP_DATA_DIAL_FUNC_PRESET_SAI_NUM);

constexpr const char* kDialIllustrator[] = {
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR_1_ZOOMIN",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_ILLUSTRATOR_2_ZOOMOUT",
};
static_assert(std::size(kDialIllustrator) == C::APP_DATA_DIAL_FUNC_PRESET_ILLUSTRATOR_NUM);

constexpr const char* kDialLightroom[] = {
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_1_SLIDER_S_UP",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_2_SLIDER_S_DOWN",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_3_SLIDER_L_UP",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_4_SLIDER_L_DOWN",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_5_BRUSH_L",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_6_BRUSH_S",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_7_BLUSH_BLUR_SIZE_UP",
    "DIAL_FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_8_BLUSH_BLUR_SIZE_DOWN",
};
static_assert(std::size(kDialLightroom) == C::APP_DATA_DIAL_FUNC_PRESET_LIGHTROOM_NUM);

// Button presets. Each key is "FUNC_SETTING_CATEGOLY_PRESET_<APP>_<nn>_<NAME>"
// with nn the position plus one in two digits; the tables hold <NAME>, which is
// the preset's ID name (APP_DATA_FUNC_PRESET_<APP>_ID_<NAME>) in ID order.
constexpr const char* kSwitchPhotoshop[] = {
    "SPACE", "CTRL", "ERASER", "SHIFT", "PEN", "BRUSH", "SYRINGE", "PALM", "COPY_STAMP_TOOL", "SYRINGE_TOOL",
    "CROP_TOOL", "FILL_GRADATION_TOOL", "ROTATIONG_VIEW_TOOL", "DODGE_TOOL", "DRAWING_COLOR_BACKGROUND_COLOR",
    "MOVE_TOOL", "SELECTION_TOOL", "REPAIR_BRUSH_TOOL", "HISTORY_BRUSH_TOOL", "CHARACTER_TOOL",
    "PATH_COMPONENT_SELECTION_TOOL", "RECTANGLE_ROUNDED_RECTANGLE_OVAL_TOOL", "ZOOM_TOOL", "TONE_CURVE",
    "LEVEL_CORRECTION", "AUTO_SELECTION", "GROUP_LAYERS", "PALETTE_DISPLAY_OFF", "CREATE_NEW_LAYER",
    "SELECT_ALL_IN_THE_LAYER", "LAYER_INTEGRATION", "SHOW_HIDE_RULER", "SWITCHING_COLOR_MODE", "CANCEL_SELECTION",
    "FREE_DEFORMATION_MODE", "UNDO_ONE_TASK", "UNDO_ONE_MORE_TASK", "SAVE", "RESTORE_DISPLAY_TO_NORMAL_SIZE",
    "LAYER_COMBINING_ALL_DISPLAY_LAYERS", "SHOW_HIDE_GRID", "TAB_SWITCHING", "ESC", "INVERT_SELECTION",
    "HIDE_SELECTION", "SHOW_OPTIONS",
};
static_assert(std::size(kSwitchPhotoshop) == C::APP_DATA_FUNC_PRESET_PHOTOSHOP_NUM);

// Position 27 is the second eyedropper (ID SYRINGE2); its key says SYRINGE.
constexpr const char* kSwitchClipStudio[] = {
    "SWITCH_PRE_SUB_TOOL", "SWITCH_NEXT_SUB_TOOL", "PALM", "ROTATION", "MAGNIFYING_GLASS_LARGE",
    "MAGNIFYING_GLASS_SHRINK", "MAIN_COLOR_SUB_COLOR", "DRAWING_COLOR_TRANSPARENT_COLOR", "LAYER_SELECTION",
    "MAGNIFYING_GLASS", "MOVE_PALM", "MOVE_ROTATION", "OPERATION_OBJECT", "OPERATION_LAYER_SELECTION",
    "LIGHT_TABLE_TIMELINE_EDIT", "MOVE_LAYER", "SELECTION_RANGE", "AUTO_SELECTION", "SYRINGE", "PEN_PENCIL",
    "BRUSH_AIRBRUSH", "ERASER", "COLOR_MIX", "FILL_GRADATION", "FIGURE_FRAME_RULER", "TEXT_BALLOON",
    "LINE_CORRECTION", "SYRINGE", "OBJECT", "DRAW_STRAIGHT_LINE", "SWITCHING_LAYER_COLOR", "CANCEL", "CUT",
    "PASTE", "COPY", "ESC",
};
static_assert(std::size(kSwitchClipStudio) == C::APP_DATA_FUNC_PRESET_CLIPSTUDIO_NUM);

constexpr const char* kSwitchSai[] = {
    "RESTORE", "REDOING", "CUT", "COPY", "PASTE", "CLEAR_LAYER", "COMBINE_LOWER_LAYER", "TRANSFER_TO_LOWER_LAYER",
    "FILL_LAYER", "FREE_DEFORMATION", "CANCEL_SELECTION_AREA", "DISPLAY_SELECTION_AREA", "SELECT_ALL",
    "HUE_SATURATION_LIGHTNESS", "FLIP_HORIZONTAL", "PIXEL_EQUAL_MAGNIFICATION", "POSITION_RESET", "ROTATION_RESET",
    "HIDE_CONTROL_PANEL", "DRAW_COLOR_SECONDARY_COLOR", "DRAW_COLOR_TRANSPARENT_COLOR", "PENCIL", "AIRBRUSH",
    "BRUSH", "WATERCOLOR_BRUSH", "ERASER", "SELECTOR_PEN", "SELECTIVE_ERASE", "NEW_CANVAS", "ESC", "CTRL", "SPACE",
    "SHIFT",
};
static_assert(std::size(kSwitchSai) == C::APP_DATA_FUNC_PRESET_SAI_NUM);

constexpr const char* kSwitchIllustrator[] = {
    "CANCEL", "REDOING", "CUT", "COPY", "PASTE", "PASTE_FRONT", "PASTE_BACK", "PASTE_SAME_POSITION",
    "PASTE_ARTBOARD", "SPELL_CHECK", "OPEN_COLOR_SETTING_DIALOG_BOX", "OPEN_KEYBOARD_SHORTCUT_DIALOG_BOX",
    "OPEN_PREFERENCES_DIALOG_BOX", "ARTBOARD_TOOL", "SELECTION_TOOL", "DIRECT_SELECTION_TOOL",
    "AUTOMATIC_SELECTION_TOOL", "LASSO_TOOL", "PEN_TOOL", "CURVED_TOOL", "FILL_BRUSH_TOOL", "ADD_ANCHOR_POINT",
    "DELETE_ANCHOR_POINT", "SWITCH_ANCHOR_POINT", "CHARACTER_TOOL", "CHARACTER_TOUCH_TOOL", "LINE_TOOL",
    "RECTANGULAR_TOOL", "OVAL_TOOL", "BRUSH_TOOL", "PENCIL_TOOL", "SHAPER_TOOL", "ROTATING_TOOL", "REFLECT_TOOL",
    "SCALE_TOOL", "WARP_TOOL", "LINE_WIDTH_TOOL", "FREE_TRANSFORM_TOOL", "SHAPE_FORMING_TOOL",
    "PERSPECTIVE_GRID_TOOL", "PERSPECTIVE_SELECTION_TOOL", "SYMBOL_SPRAY_TOOL", "BAR_GRAPH_TOOL", "MESH_TOOL",
    "GRADATION_TOOL", "SYRINGE_TOOL", "BLEND_TOOL", "LIVE_PAINT_TOOL", "LIVE_PAINT_SELECTION_TOOL", "SLICE_TOOL",
    "ERASER_TOOL", "SCISSOR_TOOL", "HAND_TOOL", "ZOOM_TOOL", "SWITCH_SMOOTH_TOOL", "ESC", "CTRL", "HAND_TOOL_SPACE",
    "SHIFT",
};
static_assert(std::size(kSwitchIllustrator) == C::APP_DATA_FUNC_PRESET_ILLUSTRATOR_NUM);

void FillRows(FunctionCatalogues::List& list, std::span<const Row> rows, const StringTable& strings) {
    list.clear();
    list.reserve(rows.size());
    for (const Row& row : rows) {
        list.emplace_back(row.id, row.typeNo, strings.Get(row.key));
    }
}

void FillDialPresets(FunctionCatalogues::List& list, std::span<const char* const> keys, const StringTable& strings) {
    list.clear();
    list.reserve(keys.size());
    for (size_t pos = 0; pos < keys.size(); ++pos) {
        list.emplace_back(static_cast<uint8_t>(pos), 0, strings.Get(keys[pos]));
    }
}

void FillSwitchPresets(FunctionCatalogues::List& list, std::string_view application, std::span<const char* const> names,
                       const StringTable& strings) {
    list.clear();
    list.reserve(names.size());
    for (size_t pos = 0; pos < names.size(); ++pos) {
        const size_t number = pos + 1;  // at most 59: always two digits
        std::string key = "FUNC_SETTING_CATEGOLY_PRESET_";
        key += application;
        key += '_';
        key += static_cast<char>('0' + number / 10 % 10);
        key += static_cast<char>('0' + number % 10);
        key += '_';
        key += names[pos];
        list.emplace_back(static_cast<uint8_t>(pos), 0, strings.Get(key));
    }
}

// The two placeholder lists: both entries are the same.
void FillPlaceholder(FunctionCatalogues::List& list, uint8_t id, const char* key, const StringTable& strings) {
    const std::string name = strings.Get(key);
    list.assign(2, FuncSettingElem(id, 0, name));
}

}  // namespace

void FunctionCatalogues::CreateTable(const StringTable& strings) {
    FillRows(arDF_Category, kDialCategories, strings);
    FillRows(arDF_Application, kDialApplications, strings);
    FillRows(arDF_FuncList_Key, kKeyFunctions, strings);
    FillRows(arDF_FuncList_Mouse, kMouseFunctions, strings);
    FillRows(arDF_FuncList_Gamepad, kGamepadFunctions, strings);
    FillRows(arDF_FuncList_Multimedia, kMultimediaFunctions, strings);
    FillRows(arDF_FuncList_UserDialMacro, kUserDialMacros, strings);
    FillDialPresets(arDF_FuncList_Photoshop, kDialPhotoshop, strings);
    FillDialPresets(arDF_FuncList_ClipStudio, kDialClipStudio, strings);
    FillDialPresets(arDF_FuncList_Sai, kDialSai, strings);
    FillDialPresets(arDF_FuncList_Illustrator, kDialIllustrator, strings);
    FillDialPresets(arDF_FuncList_Lightroom, kDialLightroom, strings);

    FillRows(arSF_Category, kSwitchCategories, strings);
    FillRows(arSF_Application, kSwitchApplications, strings);
    FillRows(arSF_FuncList_General, kGeneralFunctions, strings);
    FillSwitchPresets(arSF_FuncList_Photoshop, "PHOTOSHOP", kSwitchPhotoshop, strings);
    FillSwitchPresets(arSF_FuncList_ClipStudio, "CLIPSTUDIO", kSwitchClipStudio, strings);
    FillSwitchPresets(arSF_FuncList_Sai, "SAI", kSwitchSai, strings);
    FillSwitchPresets(arSF_FuncList_Illustrator, "ILLUSTRATOR", kSwitchIllustrator, strings);
    FillPlaceholder(arSF_FuncList_Lightroom, C::APP_DATA_FUNC_PRESET_LIGHTROOM_ID_,
                    "FUNC_SETTING_CATEGOLY_PRESET_LIGHTROOM_01_", strings);
    FillPlaceholder(arSF_FuncList_Multimedia, C::APP_DATA_FUNC_PRESET_MULTIMEDIA_ID_,
                    "FUNC_SETTING_CATEGOLY_PRESET_MULTIMEDIA_01_", strings);
}

const FunctionCatalogues::List* FunctionCatalogues::DialFunctionList(uint8_t category, uint8_t application) const {
    switch (category) {
    case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY:
        return &arDF_FuncList_Key;
    case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE:
        return &arDF_FuncList_Mouse;
    case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD:
        return &arDF_FuncList_Gamepad;
    case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA:
        return &arDF_FuncList_Multimedia;
    case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_USERDIALMACRO:
        return &arDF_FuncList_UserDialMacro;
    case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET:
        switch (application) {
        case C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP:
            return &arDF_FuncList_Photoshop;
        case C::APP_DATA_DIAL_FUNC_PRESET_ID_CLIPSTUDIO:
            return &arDF_FuncList_ClipStudio;
        case C::APP_DATA_DIAL_FUNC_PRESET_ID_SAI:
            return &arDF_FuncList_Sai;
        case C::APP_DATA_DIAL_FUNC_PRESET_ID_ILLUSTRATOR:
            return &arDF_FuncList_Illustrator;
        case C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM:
            return &arDF_FuncList_Lightroom;
        default:
            return nullptr;
        }
    default:
        return nullptr;
    }
}

const FunctionCatalogues::List* FunctionCatalogues::SwitchFunctionList(uint8_t category, uint8_t application) const {
    switch (category) {
    case C::APP_DATA_FUNC_CATEGORY_ID_GENERAL:
        return &arSF_FuncList_General;
    // A button's key, mouse, gamepad and multimedia choices are the dial's.
    case C::APP_DATA_FUNC_CATEGORY_ID_KEY:
        return &arDF_FuncList_Key;
    case C::APP_DATA_FUNC_CATEGORY_ID_MOUSE:
        return &arDF_FuncList_Mouse;
    case C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD:
        return &arDF_FuncList_Gamepad;
    case C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA:
        return &arDF_FuncList_Multimedia;
    case C::APP_DATA_FUNC_CATEGORY_ID_PRESET:
        // Only the four applications of arSF_Application have button presets.
        switch (application) {
        case C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP:
            return &arSF_FuncList_Photoshop;
        case C::APP_DATA_FUNC_PRESET_ID_CLIPSTUDIO:
            return &arSF_FuncList_ClipStudio;
        case C::APP_DATA_FUNC_PRESET_ID_SAI:
            return &arSF_FuncList_Sai;
        case C::APP_DATA_FUNC_PRESET_ID_ILLUSTRATOR:
            return &arSF_FuncList_Illustrator;
        default:
            return nullptr;
        }
    default:
        // Not set, and macros, which list the user's scripts instead.
        return nullptr;
    }
}

int FunctionCatalogues::FindByTypeNo(const List& list, uint8_t typeNo) {
    for (size_t pos = 0; pos < list.size(); ++pos) {
        if (list[pos].bTypeNo == typeNo) {
            return static_cast<int>(pos);
        }
    }
    return -1;
}

}  // namespace kelvadeck
