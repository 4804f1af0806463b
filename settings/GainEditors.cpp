#include "settings/GainEditors.h"

#include "settings/SettingEditors.h"

namespace {

// The channel code of each item of Combo_GainIndex, in item order.
constexpr int kChannelCodes[] = {48, 49, 50, 51, 52, 53, 54, 55, 0, 1, 2, 64, 65, 16, 17, 18, 66};

// Gains are plain integers: anything else is refused, not rounded.
constexpr EditorDecl kEditors[] = {
    Combo("Combo_GainIndex", 33536, "Label_GainIndex").Codes(kChannelCodes),
    Edit("Edit_VoltHighGain", 33537, StrictInt, "Label_VoltHighGain"),
    Edit("Edit_VoltBoundary", 33538, StrictInt, "Label_VoltBoundary"),
    Edit("Edit_VoltLowGain", 33539, StrictInt, "Label_VoltLowGain"),
    Edit("Edit_CurrHighGain", 33540, StrictInt, "Label_CurrHighGain"),
    Edit("Edit_CurrBoundary", 33541, StrictInt, "Label_CurrBoundary"),
    Edit("Edit_CurrLowGain", 33542, StrictInt, "Label_CurrLowGain"),
    Edit("Edit_PowerHighGain", 33543, StrictInt, "Label_PowerHighGain"),
    Edit("Edit_PowertBoundary", 33544, StrictInt, "Label_PowertBoundary"),
    Edit("Edit_PowerLowGain", 33545, StrictInt, "Label_PowerLowGain"),
    Edit("Edit_VoltHighGainRed", 33546, StrictInt, "Label_VoltHighGainRed"),
    Edit("Edit_VoltBoundaryRed", 33547, StrictInt, "Label_VoltBoundaryRed"),
    Edit("Edit_VoltLowGainRed", 33548, StrictInt, "Label_VoltLowGainRed"),
};

}  // namespace

std::span<const EditorDecl> GainEditors() { return kEditors; }
