#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// Reactive power at night: the switch, a constant Q and the settings of the
// Q(P) and Q(U) variants. Percent values are plain signed numbers here, with
// no Ind/Cap sign.

namespace {

constexpr ControlDecl kRows[] = {
    COMBO_ROW(0, 32, "Caption_QTMode", "Q(T) Mode", "Label_QTMode", "??", "Combo_QTMode", "Disable\nEnable"),
    VALUE_ROW(0, 66, "Caption_ConstQ_Percent", "Const.Q_Percent", "Label_ConstQ_Percent", "??", "Edit_ConstQ_Percent"),
    VALUE_ROW(0, 100, "Caption_QP_Q_Upper", "Q(P)_Q_Upper", "Label_QP_Q_Upper", "??", "Edit_QP_Q_Upper"),
    VALUE_ROW(0, 134, "Caption_QP_Q_Lower", "Q(P)_Q_Lower", "Label_QP_Q_Lower", "??", "Edit_QP_Q_Lower"),
    VALUE_ROW(0, 168, "Caption_QP_Upper_Limit", "Q(P)_Upper_Limit ", "Label_QP_Upper_Limit", "??", "Edit_QP_Upper_Limit"),
    VALUE_ROW(0, 202, "Caption_QP_Lower_Limit", "Q(P)_Lower_Limit", "Label_QP_Lower_Limit", "??", "Edit_QP_Lower_Limit"),
    VALUE_ROW(0, 236, "Caption_QP_Lockin_V", "Q(P)_Lockin_V", "Label_QP_Lockin_V", "??", "Edit_QP_Lockin_V"),
    VALUE_ROW(0, 270, "Caption_QP_Lockout_V", "Q(P)_Lockout_V", "Label_QP_Lockout_V", "??", "Edit_QP_Lockout_V"),
    VALUE_ROW(0, 304, "Caption_Response_Delay", "Response_Delay", "Label_Response_Delay", "??", "Edit_Response_Delay"),
    VALUE_ROW(262, 32, "Caption_QU_Upper_Limit", "Q(U)_Upper_Limit", "Label_QU_Upper_Limit", "??", "Edit_QU_Upper_Limit"),
    VALUE_ROW(262, 66, "Caption_QU_Lower_Limit", "Q(U)_Lower_Limit", "Label_QU_Lower_Limit", "??", "Edit_QU_Lower_Limit"),
    VALUE_ROW(262, 100, "Caption_QU_Vmin", "Q(U)_Vmin(V2i)", "Label_QU_Vmin", "??", "Edit_QU_Vmin"),
    VALUE_ROW(262, 134, "Caption_QU_Vmax", "Q(U)_Vmax(V2s)", "Label_QU_Vmax", "??", "Edit_QU_Vmax"),
    VALUE_ROW(262, 168, "Caption_QU_V1", "Q(U)_V1(V1i)", "Label_QU_V1", "??", "Edit_QU_V1"),
    VALUE_ROW(262, 202, "Caption_QU_V2", "Q(U)_V2(V1s)", "Label_QU_V2", "??", "Edit_QU_V2"),
    VALUE_ROW(262, 236, "Caption_QU_P_Lock_in", "Q(U)_P_Lock_in", "Label_QU_P_Lock_in", "??", "Edit_QU_P_Lock_in"),
    VALUE_ROW(262, 270, "Caption_QU_P_Lock_out", "Q(U)_P_Lock_out", "Label_QU_P_Lock_out", "??", "Edit_QU_P_Lock_out"),
    VALUE_ROW(262, 304, "Caption_QU_Hysteresis", "Q(U)_Hysteresis", "Label_QU_Hysteresis", "??", "Edit_QU_Hysteresis"),
};

// One word per register from 48798 on; the voltages carry their unit
// without a blank.
constexpr WordRead kWords[] = {
    SwitchWord(0, "Label_QTMode"),
    HookWord(1, "Label_ConstQ_Percent", SignedIntPercentWord),
    HookWord(2, "Label_QP_Q_Upper", SignedIntPercentWord),
    HookWord(3, "Label_QP_Q_Lower", SignedIntPercentWord),
    HookWord(4, "Label_QP_Upper_Limit", SignedIntPercentWord),
    HookWord(5, "Label_QP_Lower_Limit", SignedIntPercentWord),
    Word(6, "Label_QP_Lockin_V", Show::Deci, "V"),
    Word(7, "Label_QP_Lockout_V", Show::Deci, "V"),
    HookWord(8, "Label_QU_Upper_Limit", SignedIntPercentWord),
    HookWord(9, "Label_QU_Lower_Limit", SignedIntPercentWord),
    Word(10, "Label_QU_Vmin", Show::Deci, "V"),
    Word(11, "Label_QU_Vmax", Show::Deci, "V"),
    Word(12, "Label_QU_V1", Show::Deci, "V"),
    Word(13, "Label_QU_V2", Show::Deci, "V"),
    HookWord(14, "Label_QU_P_Lock_in", SignedIntPercentWord),
    HookWord(15, "Label_QU_P_Lock_out", SignedIntPercentWord),
    Word(16, "Label_QU_Hysteresis", Show::Deci, "V"),
    Word(17, "Label_Response_Delay", Show::Centi, " sec"),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 48798, 18, kWords).EndIfInvalid(),
};
constexpr ReadView kView{"Group_QbyNight", "Q Nig...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_QTMode", 48798, "Label_QTMode"),
    Edit("Edit_ConstQ_Percent", 48799, SafeInt, "Label_ConstQ_Percent").Signed(),
    Edit("Edit_QP_Q_Upper", 48800, SafeInt, "Label_QP_Q_Upper").Signed(),
    Edit("Edit_QP_Q_Lower", 48801, SafeInt, "Label_QP_Q_Lower").Signed(),
    Edit("Edit_QP_Upper_Limit", 48802, SafeInt, "Label_QP_Upper_Limit").Signed(),
    Edit("Edit_QP_Lower_Limit", 48803, SafeInt, "Label_QP_Lower_Limit").Signed(),
    Edit("Edit_QP_Lockin_V", 48804, X10, "Label_QP_Lockin_V"),
    Edit("Edit_QP_Lockout_V", 48805, X10, "Label_QP_Lockout_V"),
    Edit("Edit_QU_Upper_Limit", 48806, SafeInt, "Label_QU_Upper_Limit").Signed(),
    Edit("Edit_QU_Lower_Limit", 48807, SafeInt, "Label_QU_Lower_Limit").Signed(),
    Edit("Edit_QU_Vmin", 48808, X10, "Label_QU_Vmin"),
    Edit("Edit_QU_Vmax", 48809, X10, "Label_QU_Vmax"),
    Edit("Edit_QU_V1", 48810, X10, "Label_QU_V1"),
    Edit("Edit_QU_V2", 48811, X10, "Label_QU_V2"),
    Edit("Edit_QU_P_Lock_in", 48812, SafeInt, "Label_QU_P_Lock_in").Signed(),
    Edit("Edit_QU_P_Lock_out", 48813, SafeInt, "Label_QU_P_Lock_out").Signed(),
    Edit("Edit_QU_Hysteresis", 48814, X10, "Label_QU_Hysteresis"),
    Edit("Edit_Response_Delay", 48815, X100, "Label_Response_Delay"),
};

}  // namespace

extern const PanelControls kQbyNightPanel{"Group_QbyNight", kRows};

int PollQbyNight(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> QbyNightEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> QbyNightReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
