#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// The extended cos φ(P) curve: up to eight points of power and cos φ, the
// number in use, and the lock voltages it shares with the two-point curve.
// Its cos φ values are always in tenths of a percent, whatever CosPhiSet says.

namespace {

constexpr ControlDecl kRows[] = {
    VALUE_ROW(0, 32, "Caption_ExtendCosphiP_SetPoint", "No of Set Point", "Label_ExtendCosphiP_SetPoint", "??",
              "Edit_ExtendCosphiP_SetPoint"),
    VALUE_ROW(0, 66, "Caption_ExtendCosphiP_P1", "P1", "Label_ExtendCosphiP_P1", "??", "Edit_ExtendCosphiP_P1"),
    VALUE_ROW(0, 100, "Caption_ExtendCosphiP_P2", "P2", "Label_ExtendCosphiP_P2", "??", "Edit_ExtendCosphiP_P2"),
    VALUE_ROW(0, 134, "Caption_ExtendCosphiP_P3", "P3", "Label_ExtendCosphiP_P3", "??", "Edit_ExtendCosphiP_P3"),
    VALUE_ROW(0, 168, "Caption_ExtendCosphiP_P4", "P4", "Label_ExtendCosphiP_P4", "??", "Edit_ExtendCosphiP_P4"),
    VALUE_ROW(0, 202, "Caption_ExtendCosphiP_P5", "P5", "Label_ExtendCosphiP_P5", "??", "Edit_ExtendCosphiP_P5"),
    VALUE_ROW(0, 236, "Caption_ExtendCosphiP_P6", "P6", "Label_ExtendCosphiP_P6", "??", "Edit_ExtendCosphiP_P6"),
    VALUE_ROW(0, 270, "Caption_ExtendCosphiP_P7", "P7", "Label_ExtendCosphiP_P7", "??", "Edit_ExtendCosphiP_P7"),
    VALUE_ROW(0, 304, "Caption_ExtendCosphiP_P8", "P8", "Label_ExtendCosphiP_P8", "??", "Edit_ExtendCosphiP_P8"),
    SIGNED_ROW(262, 66, "Caption_ExtendCosphiP_CosP1", "CosPhi_P1", "Label_ExtendCosphiP_CosP1", "??",
               "Combo_ExtendCosphiP_CosP1", "Edit_ExtendCosphiP_CosP1"),
    SIGNED_ROW(262, 100, "Caption_ExtendCosphiP_CosP2", "CosPhi_P2", "Label_ExtendCosphiP_CosP2", "??",
               "Combo_ExtendCosphiP_CosP2", "Edit_ExtendCosphiP_CosP2"),
    SIGNED_ROW(262, 134, "Caption_ExtendCosphiP_CosP3", "CosPhi_P3", "Label_ExtendCosphiP_CosP3", "??",
               "Combo_ExtendCosphiP_CosP3", "Edit_ExtendCosphiP_CosP3"),
    SIGNED_ROW(262, 168, "Caption_ExtendCosphiP_CosP4", "CosPhi_P4", "Label_ExtendCosphiP_CosP4", "??",
               "Combo_ExtendCosphiP_CosP4", "Edit_ExtendCosphiP_CosP4"),
    SIGNED_ROW(262, 202, "Caption_ExtendCosphiP_CosP5", "CosPhi_P5", "Label_ExtendCosphiP_CosP5", "??",
               "Combo_ExtendCosphiP_CosP5", "Edit_ExtendCosphiP_CosP5"),
    SIGNED_ROW(262, 236, "Caption_ExtendCosphiP_CosP6", "CosPhi_P6", "Label_ExtendCosphiP_CosP6", "??",
               "Combo_ExtendCosphiP_CosP6", "Edit_ExtendCosphiP_CosP6"),
    SIGNED_ROW(262, 270, "Caption_ExtendCosphiP_CosP7", "CosPhi_P7", "Label_ExtendCosphiP_CosP7", "??",
               "Combo_ExtendCosphiP_CosP7", "Edit_ExtendCosphiP_CosP7"),
    SIGNED_ROW(262, 304, "Caption_ExtendCosphiP_CosP8", "CosPhi_P8", "Label_ExtendCosphiP_CosP8", "??",
               "Combo_ExtendCosphiP_CosP8", "Edit_ExtendCosphiP_CosP8"),
    VALUE_ROW(0, 338, "Caption_CosLockInVolt_Ext", "V Lock in", "Label_CosLockInVolt_Ext", "??", "Edit_CosLockInVolt_ext"),
    VALUE_ROW(0, 372, "Caption_CosLockOutVolt_Ext", "V Lock out", "Label_CosLockOutVolt_Ext", "??",
              "Edit_CosLockOutVolt_Ext"),
};

// The point count, then each point's power and cos φ.
constexpr WordRead kCurveWords[] = {
    HookWord(0, "Label_ExtendCosphiP_SetPoint", SignedIntWord),
    HookWord(1, "Label_ExtendCosphiP_P1", SignedTenthsPercentWord),
    HookWord(2, "Label_ExtendCosphiP_CosP1", CurveTenthsWord),
    HookWord(3, "Label_ExtendCosphiP_P2", SignedTenthsPercentWord),
    HookWord(4, "Label_ExtendCosphiP_CosP2", CurveTenthsWord),
    HookWord(5, "Label_ExtendCosphiP_P3", SignedTenthsPercentWord),
    HookWord(6, "Label_ExtendCosphiP_CosP3", CurveTenthsWord),
    HookWord(7, "Label_ExtendCosphiP_P4", SignedTenthsPercentWord),
    HookWord(8, "Label_ExtendCosphiP_CosP4", CurveTenthsWord),
    HookWord(9, "Label_ExtendCosphiP_P5", SignedTenthsPercentWord),
    HookWord(10, "Label_ExtendCosphiP_CosP5", CurveTenthsWord),
    HookWord(11, "Label_ExtendCosphiP_P6", SignedTenthsPercentWord),
    HookWord(12, "Label_ExtendCosphiP_CosP6", CurveTenthsWord),
    HookWord(13, "Label_ExtendCosphiP_P7", SignedTenthsPercentWord),
    HookWord(14, "Label_ExtendCosphiP_CosP7", CurveTenthsWord),
    HookWord(15, "Label_ExtendCosphiP_P8", SignedTenthsPercentWord),
    HookWord(16, "Label_ExtendCosphiP_CosP8", CurveTenthsWord),
};
constexpr WordRead kLockWords[] = {
    Word(0, "Label_CosLockInVolt_Ext", Show::Deci, " V"),
    Word(1, "Label_CosLockOutVolt_Ext", Show::Deci, " V"),
};

// Without the curve the voltages are not read in that pass.
constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 48848, 17, kCurveWords).EndIfInvalid(),
    Read(kReadHolding, 48786, 2, kLockWords),
};
constexpr ReadView kView{"Group_ExtendCosphiP", "Ext. CosP..", kBlocks};

// The count is typed as a number and cut to a whole one.
constexpr TextRule kWholeCount{ValueRule::Scaled, 1};

constexpr EditorDecl kEditors[] = {
    Edit("Edit_ExtendCosphiP_SetPoint", 48848, kWholeCount, "Label_ExtendCosphiP_SetPoint").Signed(),
    Edit("Edit_ExtendCosphiP_P1", 48849, X10, "Label_ExtendCosphiP_P1").Signed(),
    Edit("Edit_ExtendCosphiP_CosP1", 48850, X10, "Label_ExtendCosphiP_CosP1").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP1">),
    Edit("Edit_ExtendCosphiP_P2", 48851, X10, "Label_ExtendCosphiP_P2").Signed(),
    Edit("Edit_ExtendCosphiP_CosP2", 48852, X10, "Label_ExtendCosphiP_CosP2").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP2">),
    Edit("Edit_ExtendCosphiP_P3", 48853, X10, "Label_ExtendCosphiP_P3").Signed(),
    Edit("Edit_ExtendCosphiP_CosP3", 48854, X10, "Label_ExtendCosphiP_CosP3").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP3">),
    Edit("Edit_ExtendCosphiP_P4", 48855, X10, "Label_ExtendCosphiP_P4").Signed(),
    Edit("Edit_ExtendCosphiP_CosP4", 48856, X10, "Label_ExtendCosphiP_CosP4").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP4">),
    Edit("Edit_ExtendCosphiP_P5", 48857, X10, "Label_ExtendCosphiP_P5").Signed(),
    Edit("Edit_ExtendCosphiP_CosP5", 48858, X10, "Label_ExtendCosphiP_CosP5").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP5">),
    Edit("Edit_ExtendCosphiP_P6", 48859, X10, "Label_ExtendCosphiP_P6").Signed(),
    Edit("Edit_ExtendCosphiP_CosP6", 48860, X10, "Label_ExtendCosphiP_CosP6").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP6">),
    Edit("Edit_ExtendCosphiP_P7", 48861, X10, "Label_ExtendCosphiP_P7").Signed(),
    Edit("Edit_ExtendCosphiP_CosP7", 48862, X10, "Label_ExtendCosphiP_CosP7").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP7">),
    Edit("Edit_ExtendCosphiP_P8", 48863, X10, "Label_ExtendCosphiP_P8").Signed(),
    Edit("Edit_ExtendCosphiP_CosP8", 48864, X10, "Label_ExtendCosphiP_CosP8").Signed()
        .Value(SignedBy<"Combo_ExtendCosphiP_CosP8">),
    Edit("Edit_CosLockInVolt_ext", 48786, X10, "Label_CosLockInVolt_Ext"),
    Edit("Edit_CosLockOutVolt_Ext", 48787, X10, "Label_CosLockOutVolt_Ext"),
};

}  // namespace

extern const PanelControls kExtendCosphiPPanel{"Group_ExtendCosphiP", kRows};

int PollExtendCosphiP(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> ExtendCosphiPEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> ExtendCosphiPReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
