#include "settings/FaultRideThroughView.h"

#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "settings/SettingRows.h"

namespace {

// ---- Panel ----------------------------------------------------------------
// Low-voltage side in the left column (its box, then the dead band's), the
// high-voltage side in the right one. Inside a box: its caption, then rows
// of 34 of caption, value label ("???" until read) and edit; a mode row has
// its combo on the row below.

constexpr RowColumns kColumns{8, 118, 128, 72, 202, 46};
#define FRT_ROW(top, caption, text, label, edit) \
  SETTING_ROW(kColumns, top, caption, text, label, "???", Kind::Edit, edit, "")

constexpr ControlDecl kLVFRRows[] = {
    {Kind::Frame, "GroupBox48", 4, 32, 254, 256},
    {Kind::Frame, "GroupBox49", 4, 296, 254, 122},
    {Kind::Frame, "GroupBox50", 262, 32, 254, 222},
};

constexpr ControlDecl kGroupBox48Rows[] = {
    {Kind::Label, "Label_LVRTModeBox", 4, 4, 120, 18, "LVRT_Mode", 1},
    {Kind::Label, "Label_FRTModeCaption", 8, 28, 40, 18, "Mode", 1},
    {Kind::Label, "Label_FRTMode", 50, 28, 198, 18, "???"},
    {Kind::Combo, "Combo_FRTMode", 8, 52, 240, 22, "Disable\nEnable\nEnable(Limit Grid Supprt)", 0, kEditable},
    FRT_ROW(86, "Label_T1TimeCaption", "T1 Time", "Label_T1Time", "Edit_T1Time"),
    FRT_ROW(120, "Label_UacFaultCaption", "Uac Fault(Vdrop)", "Label_UacFault", "Edit_UacFault"),
    FRT_ROW(154, "Label_FRTU1Caption", "U1", "Label_FRTU1", "Edit_FRTU1"),
    FRT_ROW(188, "Label_T2TimeCaption", "T2 Time", "Label_T2Time", "Edit_T2Time"),
    FRT_ROW(222, "Label_T3TimeCaption", "T3 Time", "Label_T3Time", "Edit_T3Time"),
};

constexpr ControlDecl kGroupBox49Rows[] = {
    FRT_ROW(14, "Label_DeadBandUminCaption", "Dead Band Umin", "Label_DeadBandUmin", "Edit_DeadBandUmin"),
    FRT_ROW(48, "Label_DeadBandUmaxCaption", "Dead Band Umax", "Label_DeadBandUmax", "Edit_DeadBandUmax"),
    FRT_ROW(82, "Label_KFactorCaption", "K Factor", "Label_KFactor", "Edit_KFactor"),
};

constexpr ControlDecl kGroupBox50Rows[] = {
    {Kind::Label, "Label_HVRTModeBox", 4, 4, 120, 18, "HVRT_Mode", 1},
    {Kind::Label, "Label_HVRT_ModeCaption", 8, 28, 40, 18, "Mode", 1},
    {Kind::Label, "Label_HVRT_Mode", 50, 28, 198, 18, "???"},
    {Kind::Combo, "Combo_HVRT_Mode", 8, 52, 240, 22, "Disable\nEnable", 0, kEditable},
    FRT_ROW(86, "Label_HVRT_V1Caption", "V1", "Label_HVRT_V1", "Edit_HVRT_V1"),
    FRT_ROW(120, "Label_HVRT_V2Caption", "V2", "Label_HVRT_V2", "Edit_HVRT_V2"),
    FRT_ROW(154, "Label_HVRT_T1Caption", "T1 Time", "Label_HVRT_T1", "Edit_HVRT_T1"),
    FRT_ROW(188, "Label_HVRT_T2Caption", "T2 Time", "Label_HVRT_T2", "Edit_HVRT_T2"),
};

#undef FRT_ROW

// ---- Read-back ------------------------------------------------------------

// A mode outside the list keeps its text but turns blue with the others.
constexpr CodeText kLvrtModes[] = {{0, "Disable"}, {1, "Enable"}, {2, "Enable(Limit Grid Supprt)"}};
constexpr WordRead kLvrtWords[] = {
    Word(0, "Label_FRTMode", Show::Text).Texts(kLvrtModes),
    Word(1, "Label_T1Time", Show::Centi, " sec"),
    Word(2, "Label_UacFault", Show::Decimal, " %"),
    Word(3, "Label_FRTU1", Show::Decimal, " %"),
    Word(4, "Label_DeadBandUmin", Show::Decimal, " %"),
    Word(5, "Label_T2Time", Show::Centi, " sec"),
    Word(6, "Label_T3Time", Show::Centi, " sec"),
    Word(7, "Label_DeadBandUmax", Show::Decimal, " %"),
    Word(8, "Label_KFactor", Show::Deci),
};
constexpr WordRead kHvrtWords[] = {
    SwitchWord(0, "Label_HVRT_Mode"),
    Word(1, "Label_HVRT_V1", Show::Decimal, " %"),
    Word(2, "Label_HVRT_V2", Show::Decimal, " %"),
    Word(3, "Label_HVRT_T1", Show::Centi, " sec"),
    Word(4, "Label_HVRT_T2", Show::Centi, " sec"),
};
constexpr ReadBlock kLVFRBlocks[] = {
    Read(kReadHolding, 853, 9, kLvrtWords),
    Read(kReadHolding, 48905, 5, kHvrtWords).EndIfInvalid(),
};
constexpr ReadView kLVFRView{"Group_LVFR", "FRT...", kLVFRBlocks};

// ---- Editors --------------------------------------------------------------

constexpr EditorDecl kEditors[] = {
    Combo("Combo_FRTMode", 853, "Label_FRTMode"),
    Edit("Edit_T1Time", 854, X100, "Label_T1Time"),
    Edit("Edit_UacFault", 855, StrictInt, "Label_UacFault"),
    Edit("Edit_FRTU1", 856, StrictInt, "Label_FRTU1"),
    Edit("Edit_DeadBandUmin", 857, StrictInt, "Label_DeadBandUmin"),
    Edit("Edit_T2Time", 858, X100, "Label_T2Time"),
    Edit("Edit_T3Time", 859, X100, "Label_T3Time"),
    Edit("Edit_DeadBandUmax", 860, StrictInt, "Label_DeadBandUmax"),
    Edit("Edit_KFactor", 861, X10, "Label_KFactor"),
    Combo("Combo_HVRT_Mode", 48905, "Label_HVRT_Mode"),
    Edit("Edit_HVRT_V1", 48906, SafeInt, "Label_HVRT_V1"),
    Edit("Edit_HVRT_V2", 48907, SafeInt, "Label_HVRT_V2"),
    Edit("Edit_HVRT_T1", 48908, X100, "Label_HVRT_T1"),
    Edit("Edit_HVRT_T2", 48909, X100, "Label_HVRT_T2"),
};

}  // namespace

extern const PanelControls kLVFRPanel{"Group_LVFR", kLVFRRows};
extern const PanelControls kGroupBox48Panel{"GroupBox48", kGroupBox48Rows};
extern const PanelControls kGroupBox49Panel{"GroupBox49", kGroupBox49Rows};
extern const PanelControls kGroupBox50Panel{"GroupBox50", kGroupBox50Rows};

int PollLVFR(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kLVFRView); }

std::span<const EditorDecl> FaultRideThroughEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> FaultRideThroughReadViews() {
  static constexpr const ReadView* kViews[] = {&kLVFRView};
  return kViews;
}
