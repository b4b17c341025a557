#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvadeck {

// The seventeen kinds of step the macro editor offers in its palette: which
// palette item makes which kind, its label, the colour group it is tinted
// with, and which step dialog it opens when dropped on the step list or when
// its step is double-clicked. Kinds are the SCRIPT_ICON_IDX_* values a step
// keeps in bControlItemNo.
class MacroStepKinds {
public:
    enum class ColourGroup { None, Green, Red, Blue, Yellow, Black };
    enum class Dialog { None, Number, Joypad, MouseButton, Multimedia, Distance, KeyInput, Wheel };

    struct Item {
        std::string_view identifier;  // "ID_ITEM1" ... "ID_ITEM17"
        std::string_view labelKey;
        int32_t kind;
        ColourGroup colour;
        Dialog onDrop;
        Dialog onDoubleClick;
    };

    struct Tint {
        double red;
        double green;
        double blue;
        double alpha;
    };

    static constexpr size_t PALETTE_SIZE = 17;
    static const std::array<Item, PALETTE_SIZE>& Palette();

    // The kind a palette item makes; SCRIPT_ICON_IDX_BLANK (255) for an
    // identifier that is not in the palette.
    static int32_t KindForIdentifier(std::string_view identifier);
    // The palette item of a kind; null for the blank kind and unknown values.
    static const Item* ForKind(int32_t kind);
    static ColourGroup ColourOf(int32_t kind);
    static Dialog DialogOnDrop(int32_t kind);
    static Dialog DialogOnDoubleClick(int32_t kind);
    // The tint of a colour group (at opacity 0.1); none for no group.
    static std::optional<Tint> TintOf(ColourGroup group);
    // The window title key of a step dialog for the step's kind.
    static std::string_view DialogTitleKey(int32_t kind);
    // The name a dialog is opened under in the trace ("NumberDialogSegue").
    static std::string_view SegueName(Dialog dialog);
};

}  // namespace kelvadeck
