#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// cos φ(P): the two-point characteristic and the lock-in and lock-out
// voltages (shared with the extended curve).

namespace {

constexpr ControlDecl kRows[] = {
    SIGNED_ROW(0, 32, "Caption_CosUp", "Upper", "Label_CosUp", "??", "List_CosUp", "Edit_CosUp"),
    SIGNED_ROW(0, 66, "Caption_CosLow", "Lower", "Label_CosLow", "??", "List_CosLow", "Edit_CosLow"),
    VALUE_ROW(0, 100, "Caption_PowerUp", "Upper(P1)", "Label_PowerUp", "?? %", "Edit_PowerUp"),
    VALUE_ROW(0, 134, "Caption_PowerLow", "Lower(P2)", "Label_PowerLow", "?? %", "Edit_PowerLow"),
    VALUE_ROW(0, 168, "Caption_CosLockInVolt", "V Lock in", "Label_CosLockInVolt", "??", "Edit_CosLockInVolt"),
    VALUE_ROW(0, 202, "Caption_CosLockOutVolt", "V Lock out", "Label_CosLockOutVolt", "??", "Edit_CosLockOutVolt"),
};

// The coarse cos φ words fill their labels at "1%" only, but the four labels
// turn blue with this reply whatever the resolution; the fine words paint
// nothing.
constexpr WordRead kCoarseWords[] = {
    HookWord(0, "Label_CosUp", CosCoarseWord),
    HookWord(1, "Label_CosLow", CosCoarseWord),
    HookWord(2, "Label_PowerLow", SignedIntPercentWord),
    HookWord(3, "Label_PowerUp", SignedIntPercentWord),
};
constexpr WordRead kFineWords[] = {
    HookWord(0, "Label_CosUp", CosFineWord).NoPaint(),
    HookWord(1, "Label_CosLow", CosFineWord).NoPaint(),
};
constexpr WordRead kLockWords[] = {
    Word(0, "Label_CosLockInVolt", Show::Deci, " V"),
    Word(1, "Label_CosLockOutVolt", Show::Deci, " V"),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 33619, 4, kCoarseWords),
    Read(kReadHolding, 48796, 2, kFineWords).When(FineCosPhi),
    Read(kReadHolding, 48786, 2, kLockWords),
};
constexpr ReadView kView{"Group_CosPCtrl", "Cos P...", kBlocks};

// The upper power point sits at the higher register.
constexpr EditorDecl kEditors[] = {
    Edit("Edit_CosUp", 0, X100, "Label_CosUp").Signed()
        .Where(CosPhiRegister<33619, 48796>).Value(SignedBy<"List_CosUp">),
    Edit("Edit_CosLow", 0, X100, "Label_CosLow").Signed()
        .Where(CosPhiRegister<33620, 48797>).Value(SignedBy<"List_CosLow">),
    Edit("Edit_PowerUp", 33622, StrictInt, "Label_PowerUp").Signed(),
    Edit("Edit_PowerLow", 33621, StrictInt, "Label_PowerLow").Signed(),
    Edit("Edit_CosLockInVolt", 48786, X10, "Label_CosLockInVolt"),
    Edit("Edit_CosLockOutVolt", 48787, X10, "Label_CosLockOutVolt"),
};

}  // namespace

extern const PanelControls kCosPCtrlPanel{"Group_CosPCtrl", kRows};

int PollCosPCtrl(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> CosPCtrlEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> CosPCtrlReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
