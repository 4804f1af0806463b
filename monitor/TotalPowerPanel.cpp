#include "app/ControlTable.h"

namespace {
// Group_TotalPower: output and input totals side by side. The AC and DC
// views fill them while their own panels are shown.
constexpr ControlDecl kTotalPowerRows[] = {
    {Kind::Label, "Label_TotalOutputCaption", 90, 24, 70, 18, "Output", 1},
    {Kind::Label, "Label_TotalInputCaption", 170, 24, 70, 18, "Input", 1},
    {Kind::Label, "Label_TotalPowerCaption", 8, 46, 78, 18, "Power", 1},
    {Kind::Label, "Label_TotalOutputPower", 90, 46, 76, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalInputPower", 170, 46, 76, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalCurrentCaption", 8, 68, 78, 18, "Current", 1},
    {Kind::Label, "Label_TotalOutputCurrent", 90, 68, 76, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalInputCurrent", 170, 68, 76, 18, "??", 0, kBlue},
};
}  // namespace

extern const PanelControls kTotalPowerPanel{"Group_TotalPower", kTotalPowerRows};
