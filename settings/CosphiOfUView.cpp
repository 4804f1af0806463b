#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// cos φ(U): the cos φ limits over grid voltage, always in thousandths
// whatever CosPhiSet says, with four voltage corners and the lock powers.

namespace {

constexpr ControlDecl kRows[] = {
    SIGNED_ROW(0, 32, "Caption_CosphiOfU_UpperLimit", "Upper Limit", "Label_CosphiOfU_UpperLimit", "??",
               "List_CosphiOfU_UpperLimit", "Edit_CosphiOfU_UpperLimit"),
    SIGNED_ROW(0, 66, "Caption_CosphiOfU_LowerLimit", "Lower_Limit", "Label_CosphiOfU_LowerLimit", "??",
               "List_CosphiOfU_LowerLimit", "Edit_CosphiOfU_LowerLimit"),
    VALUE_ROW(0, 100, "Caption_CosphiOfU_Vmin", "Vmin", "Label_CosphiOfU_Vmin", "??", "Edit_CosphiOfU_Vmin"),
    VALUE_ROW(0, 134, "Caption_CosphiOfU_Vmax", "Vmax", "Label_CosphiOfU_Vmax", "??", "Edit_CosphiOfU_Vmax"),
    VALUE_ROW(0, 168, "Caption_CosphiOfU_V1", "V1", "Label_CosphiOfU_V1", "??", "Edit_CosphiOfU_V1"),
    VALUE_ROW(0, 202, "Caption_CosphiOfU_V2", "V2", "Label_CosphiOfU_V2", "??", "Edit_CosphiOfU_V2"),
    VALUE_ROW(0, 236, "Caption_CosphiOfU_Lockin", "Lock-in Power", "Label_CosphiOfU_Lockin", "??",
              "Edit_CosphiOfU_Lockin"),
    VALUE_ROW(0, 270, "Caption_CosphiOfU_Lockout", "Lock-out Power", "Label_CosphiOfU_Lockout", "??",
              "Edit_CosphiOfU_Lockout"),
};

constexpr WordRead kWords[] = {
    HookWord(0, "Label_CosphiOfU_UpperLimit", CosThousandthsWord),
    HookWord(1, "Label_CosphiOfU_LowerLimit", CosThousandthsWord),
    Word(2, "Label_CosphiOfU_Vmin", Show::Deci, " V"),
    Word(3, "Label_CosphiOfU_Vmax", Show::Deci, " V"),
    Word(4, "Label_CosphiOfU_V1", Show::Deci, " V"),
    Word(5, "Label_CosphiOfU_V2", Show::Deci, " V"),
    Word(6, "Label_CosphiOfU_Lockin", Show::Decimal, " %"),
    Word(7, "Label_CosphiOfU_Lockout", Show::Decimal, " %"),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 48817, 8, kWords).EndIfInvalid(),
};
constexpr ReadView kView{"Group_CosphiOfU", "Cosphi(U)...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Edit("Edit_CosphiOfU_UpperLimit", 48817, X1000, "Label_CosphiOfU_UpperLimit").Signed()
        .Value(SignedBy<"List_CosphiOfU_UpperLimit">),
    Edit("Edit_CosphiOfU_LowerLimit", 48818, X1000, "Label_CosphiOfU_LowerLimit").Signed()
        .Value(SignedBy<"List_CosphiOfU_LowerLimit">),
    Edit("Edit_CosphiOfU_Vmin", 48819, X10, "Label_CosphiOfU_Vmin"),
    Edit("Edit_CosphiOfU_Vmax", 48820, X10, "Label_CosphiOfU_Vmax"),
    Edit("Edit_CosphiOfU_V1", 48821, X10, "Label_CosphiOfU_V1"),
    Edit("Edit_CosphiOfU_V2", 48822, X10, "Label_CosphiOfU_V2"),
    Edit("Edit_CosphiOfU_Lockin", 48823, SafeInt, "Label_CosphiOfU_Lockin"),
    Edit("Edit_CosphiOfU_Lockout", 48824, SafeInt, "Label_CosphiOfU_Lockout"),
};

}  // namespace

extern const PanelControls kCosphiOfUPanel{"Group_CosphiOfU", kRows};

int PollCosphiOfU(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> CosphiOfUEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> CosphiOfUReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
