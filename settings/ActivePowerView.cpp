#include "app/ControlTable.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// Active power management: the limit's switch and value, the ramp-up power
// and, in the panel's taller form, the slope time.

namespace {

// The slope row lies below the usual 200 px height; the panel shows it only
// when the profile asks for the taller form.
constexpr ControlDecl kRows[] = {
    {Kind::Label, "Label_PowerManageMode", 120, 34, 64, 18, "???"},
    {Kind::Combo, "Combo_PowerManageMode", 186, 32, 64, 22, "Disable\nEnable"},
    VALUE_ROW(0, 66, "Caption_PowerManage", "PM (%)", "Label_PowerManage", "???", "Edit_PowerManage"),
    VALUE_ROW(0, 100, "Caption_RampUp", "Ramp Up Power(%) ", "Label_RampUp", "???", "Edit_RampUp"),
    VALUE_ROW(0, 206, "Caption_ActiveSlope", "Active Power Slope", "Label_ActiveSlope", "???", "Edit_ActiveSlope"),
};

constexpr WordRead kLimitWords[] = {
    SwitchWord(0, "Label_PowerManageMode"),
    HookWord(1, "Label_PowerManage", SignedIntPercentWord),
};
constexpr WordRead kRampWords[] = {Word(0, "Label_RampUp", Show::Decimal, " %")};
constexpr WordRead kSlopeWords[] = {Word(0, "Label_ActiveSlope", Show::Decimal, " sec")};

bool SlopeShown(const TForm_Main& f) { return f.ShowActiveSlope == 1; }

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 798, 2, kLimitWords),
    Read(kReadHolding, 864, 1, kRampWords),
    Read(kReadHolding, 48514, 1, kSlopeWords).When(SlopeShown),
};
constexpr ReadView kView{"Group_ActivePower", "Active P...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_PowerManageMode", 798, "Label_PowerManageMode"),
    Edit("Edit_PowerManage", 799, StrictInt, "Label_PowerManage").Signed(),
    Edit("Edit_RampUp", 864, StrictInt, "Label_RampUp"),
    Edit("Edit_ActiveSlope", 48514, SafeInt, "Label_ActiveSlope"),
};

}  // namespace

extern const PanelControls kActivePowerPanel{"Group_ActivePower", kRows};

int PollActivePower(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> ActivePowerEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> ActivePowerReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
