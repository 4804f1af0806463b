#include <cstdint>

#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/SettingRows.h"

// P(f): active power over grid frequency, for over- and under-frequency,
// with a second editor for the frequency protection's high trip level.

namespace {

constexpr ControlDecl kRows[] = {
    {Kind::Frame, "GroupBox_OverFrequency", 0, 30, 258, 340},
    {Kind::Frame, "GroupBox_UnderFrequency", 262, 30, 258, 200},
};

// The statism row is hidden in the design and nothing shows it; the
// read-back still fills its label.
constexpr ControlDecl kOverRows[] = {
    {Kind::Label, "Caption_OverFrequency", 6, 2, 200, 18, "Over Frequency", 1},
    COMBO_ROW(0, 24, "Caption_PROFRMode", "Mode", "Label_PROFRMode", "???", "Combo_PROFRMode", "Disable\nEnable"),
    VALUE_ROW(0, 58, "Caption_PROFRGradient", "Gradient (%)", "Label_PROFRGradient", "???", "Edit_PROFRGradient"),
    VALUE_ROW(0, 92, "Caption_FacStart", "Freq. Start", "Label_FacStart", "???", "Edit_FacStart"),
    VALUE_ROW(0, 126, "Caption_FacStop", "Freq. Stop", "Label_FacStop", "???", "Edit_FacStop"),
    VALUE_ROW(0, 160, "Caption_FacRec", "F Recovery", "Label_FacRec", "???", "Edit_FacRec"),
    {Kind::Label, "Caption_Statism", 6, 196, 128, 18, "Statism (Italy only)", 1, kHidden},
    {Kind::Label, "Label_Statism", 136, 196, 64, 18, "???", 0, kHidden},
    {Kind::Edit, "Edit_Statism", 202, 194, 46, 22, "", 0, kHidden},
    VALUE_ROW(0, 228, "Caption_PminPercent", "Pmin Percent", "Label_PminPercent", "???", "Edit_PminPercent"),
    VALUE_ROW(0, 262, "Caption_PF_ReocveryTime", "Recovery Time", "Label_PF_ReocveryTime", "???",
              "Edit_PF_ReocveryTime"),
    VALUE_ROW(0, 296, "Caption_FHighOFF1", "F High Off:", "Label_FHighOFF1", "???", "Edit_FHighOFF1"),
};

// The recovery-time row is hidden in the design as well.
constexpr ControlDecl kUnderRows[] = {
    {Kind::Label, "Caption_UnderFrequency", 6, 2, 200, 18, "Under Frequency", 1},
    COMBO_ROW(0, 24, "Caption_PROFRMode_Under", "Mode", "Label_PROFRMode_Under", "???", "Combo_PROFRMode_Under",
              "Disable\nEnable"),
    VALUE_ROW(0, 58, "Caption_PROFRGradient_Under", "Gradient (%)", "Label_PROFRGradient_Under", "???",
              "Edit_PROFRGradient_Under"),
    VALUE_ROW(0, 92, "Caption_FacStart_Under", "Freq. Start", "Label_FacStart_Under", "???", "Edit_FacStart_Under"),
    VALUE_ROW(0, 126, "Caption_FacRec_Under", "F Recovery", "Label_FacRec_Under", "???", "Edit_FacRec_Under"),
    {Kind::Label, "Caption_PF_ReocveryTime_Under", 6, 162, 128, 18, "Recover Time", 1, kHidden},
    {Kind::Label, "Label_PF_ReocveryTime_Under", 136, 162, 64, 18, "???", 0, kHidden},
    {Kind::Edit, "Edit_PF_ReocveryTime_Under", 202, 160, 46, 22, "", 0, kHidden},
};

constexpr auto C = Show::Centi;

// From 48640; 48645 and 48648 are not used.
constexpr WordRead kWords[] = {
    SwitchWord(0, "Label_PROFRMode"),
    Word(1, "Label_PROFRGradient", Show::Decimal, " %"),
    Word(2, "Label_FacStart", C, " Hz"),
    Word(3, "Label_FacStop", C, " Hz"),
    Word(4, "Label_FacRec", C, " Hz"),
    Word(6, "Label_PF_ReocveryTime", C, " sec"),
    Word(7, "Label_Statism", Show::Deci, " %"),
    Word(9, "Label_PROFRGradient_Under", Show::Decimal, " %"),
    Word(10, "Label_FacStart_Under", C, " Hz"),
    Word(11, "Label_FacRec_Under", C, " Hz"),
    Word(12, "Label_PminPercent", Show::Decimal, " %"),
    SwitchWord(13, "Label_PROFRMode_Under"),
    Word(14, "Label_PF_ReocveryTime_Under", C, " sec"),
};
constexpr WordRead kHighOffWords[] = {Word(0, "Label_FHighOFF1", C, " Hz")};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 48640, 15, kWords),
    Read(kReadHolding, 33568, 1, kHighOffWords),
};
constexpr ReadView kView{"Group_PFCtrl", "PF Ctrl...", kBlocks};

// The recovery times take 0 to 600 s; anything else is refused with that
// range.
constexpr RangeRule kRecoveryTime{RangeForm::Refuse, 0, 60000};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_PROFRMode", 48640, "Label_PROFRMode"),
    Edit("Edit_PROFRGradient", 48641, StrictInt, "Label_PROFRGradient"),
    Edit("Edit_FacStart", 48642, X100, "Label_FacStart"),
    Edit("Edit_FacStop", 48643, X100, "Label_FacStop"),
    Edit("Edit_FacRec", 48644, X100, "Label_FacRec"),
    Edit("Edit_PF_ReocveryTime", 48646, X100, "Label_PF_ReocveryTime").Range(kRecoveryTime),
    Edit("Edit_Statism", 48647, X10, "Label_Statism"),
    Edit("Edit_PminPercent", 48652, SafeInt, "Label_PminPercent"),
    Edit("Edit_FHighOFF1", 33568, X100, "Label_FHighOFF1", "Max: 65Hz"),
    Combo("Combo_PROFRMode_Under", 48653, "Label_PROFRMode_Under"),
    Edit("Edit_PROFRGradient_Under", 48649, StrictInt, "Label_PROFRGradient_Under"),
    Edit("Edit_FacStart_Under", 48650, X100, "Label_FacStart_Under"),
    Edit("Edit_FacRec_Under", 48651, X100, "Label_FacRec_Under"),
    Edit("Edit_PF_ReocveryTime_Under", 48654, X100, "Label_PF_ReocveryTime_Under").Range(kRecoveryTime),
};

}  // namespace

extern const PanelControls kPFCtrlPanel{"Group_PFCtrl", kRows};
extern const PanelControls kOverFrequencyPanel{"GroupBox_OverFrequency", kOverRows};
extern const PanelControls kUnderFrequencyPanel{"GroupBox_UnderFrequency", kUnderRows};

int PollPFCtrl(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> PFCtrlEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> PFCtrlReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
