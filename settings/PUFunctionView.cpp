#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/SettingRows.h"

// P(U): active power reduction over grid voltage. The six older settings are
// written to 880-885 and read back from 48544-48549; the stop voltage and
// the end power have one register each.

namespace {

constexpr ControlDecl kRows[] = {
    COMBO_ROW(0, 32, "Caption_ProvrMode", "Mode:", "Label_ProvrMode", "???", "Combo_ProvrMode", "Disable\nEnable"),
    VALUE_ROW(0, 60, "Caption_ProvrRecTime", "Recovery Time(s)", "Label_ProvrRecTime", "???", "Edit_ProvrRecTime"),
    VALUE_ROW(0, 88, "Caption_ProvrLockInP", "Lockin Power(%)", "Label_ProvrLockInP", "???", "Edit_ProvrLockInP"),
    VALUE_ROW(0, 116, "Caption_ProvrLockOutP", "Lockout Power(%)", "Label_ProvrLockOutP", "???",
              "Edit_ProvrLockOutP"),
    VALUE_ROW(0, 144, "Caption_ProvrLockInV", "Lockin Voltage(Vac)", "Label_ProvrLockInV", "???",
              "Edit_ProvrLockInV"),
    VALUE_ROW(0, 172, "Caption_ProvrLockOutV", "Lockout Voltage(Vac)", "Label_ProvrLockOutV", "???",
              "Edit_ProvrLockOutV"),
    VALUE_ROW(0, 200, "Caption_StopVoltage_Vac", "Stop Voltage", "Label_StopVoltage_Vac", "???",
              "Edit_StopVoltage_Vac"),
    VALUE_ROW(0, 228, "Caption_PofU_Pend", "Pend", "Label_PofU_Pend", "???", "Edit_PofU_Pend"),
};

// Only exactly 1 is "Enable".
constexpr CodeText kOn[] = {{1, "Enable"}};

constexpr WordRead kOlderWords[] = {
    Word(0, "Label_ProvrMode", Show::Text).Texts(kOn, "Disable"),
    Word(1, "Label_ProvrRecTime", Show::Decimal, " sec"),
    Word(2, "Label_ProvrLockInP", Show::Decimal, " %"),
    Word(3, "Label_ProvrLockOutP", Show::Decimal, " %"),
    Word(4, "Label_ProvrLockInV", Show::Deci, " V"),
    Word(5, "Label_ProvrLockOutV", Show::Deci, " V"),
};
constexpr WordRead kStopWords[] = {
    Word(0, "Label_StopVoltage_Vac", Show::Deci, " V"),
    Word(1, "Label_PofU_Pend", Show::Decimal, " %"),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 48544, 6, kOlderWords),
    Read(kReadHolding, 48551, 2, kStopWords),
};
constexpr ReadView kView{"Group_PUFunction", "P(U)...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_ProvrMode", 880, "Label_ProvrMode"),
    Edit("Edit_ProvrRecTime", 881, StrictInt, "Label_ProvrRecTime"),
    Edit("Edit_ProvrLockInP", 882, StrictInt, "Label_ProvrLockInP"),
    Edit("Edit_ProvrLockOutP", 883, StrictInt, "Label_ProvrLockOutP"),
    Edit("Edit_ProvrLockInV", 884, X10, "Label_ProvrLockInV"),
    Edit("Edit_ProvrLockOutV", 885, X10, "Label_ProvrLockOutV"),
    Edit("Edit_StopVoltage_Vac", 48551, X10, "Label_StopVoltage_Vac"),
    Edit("Edit_PofU_Pend", 48552, SafeInt, "Label_PofU_Pend"),
};

}  // namespace

extern const PanelControls kPUFunctionPanel{"Group_PUFunction", kRows};

int PollPUFunction(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> PUFunctionEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> PUFunctionReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
