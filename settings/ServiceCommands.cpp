#include "settings/ServiceCommands.h"

#include <QLabel>

#include "app/ControlTable.h"
#include "app/LogViews.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/EnergyHistory.h"
#include "settings/SettingEditors.h"

namespace {

// The "Clear" box of Group_Factory.
constexpr ControlDecl kFactoryClearRows[] = {
    {Kind::Button, "Btn_ClearEnergy", 6, 20, 150, 26, "Energy && Runtime"},
    {Kind::Button, "Btn_ClearEvent", 160, 20, 80, 26, "Event Log"},
    {Kind::Button, "Btn_ClearCloudRegister", 6, 52, 150, 26, "Return to Default"},
    {Kind::Button, "Btn_PowerLimit2500", 6, 84, 150, 26, "Power Limit 2.5K"},
};

// 48158 is a flag word: bit 15 set sets the named bits, clear clears them.
constexpr int kSetFlag = 0x8000;
constexpr int kGridLockFlag = 0x0002;
constexpr int kSaveData = 0x55AA;
constexpr int kFanTestOn = 32;
// The duty is a byte and goes in the low byte; bit 15 tells the inverter a
// duty is set. A value beyond the byte would spill into the flag bits.
constexpr int kDutyGiven = 0x8000;
constexpr RangeRule kDutyRange{RangeForm::Refuse, 0, 255, "Fan duty: enter 0 to 255"};

std::optional<Posting> FanDutyPosting(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> duty = RuleValue(f, row, in);
  if (!duty) return std::nullopt;
  return Posting{row.reg, row.code, *duty + kDutyGiven, 0};
}

// The captions of every label of the window, in the order the window holds
// them, one line each in the traffic log. A dump, not a command: nothing is
// posted. The status bar's panels are no labels of the window's own.
std::optional<Posting> DumpLabels(TForm_Main& f, const EditorDecl&, const EditorInput&) {
  auto* log = f.Ctl<LogView>(QStringLiteral("List_Event"));
  const QWidget* status = f.Control(QStringLiteral("StatusPanels"));
  for (const QLabel* label : f.findChildren<QLabel*>()) {
    if (status && status->isAncestorOf(label)) continue;
    AppendTrafficLog(log, label->text());
  }
  return std::nullopt;
}

// Both clone buttons stay disabled until the executor has run the command.
void DisableEnergyButtons(TForm_Main& f, const EditorDecl&) { EnableEnergyButtons(f, false, false); }

// A button row whose command paints a value label red.
constexpr EditorDecl Painting(EditorDecl row, const char* label) {
  row.label = label;
  return row;
}

constexpr EditorDecl kEditors[] = {
    Button("Btn_ClearEnergy", 0, CmdEnergyReset, 0),
    Button("Btn_ClearEvent", 24624, CmdWriteCoil, kCoilOn),
    Button("Btn_ClearCloudRegister", 0, CmdReturnToDefault, 0),
    Button("Btn_PowerLimit2500", 0, CmdPowerLimit2500, 0),
    Radio("Radio_RepairON", 24609, CmdWriteCoil, kCoilOn),
    Radio("Radio_RepairOFF", 24609, CmdWriteCoil, kCoilOff),
    Radio("Label_GridLockON", 48158, CmdWriteRegister, kSetFlag | kGridLockFlag),
    Radio("Label_GridLockOFF", 48158, CmdWriteRegister, kGridLockFlag),
    Painting(Button("Btn_SaveData", 24665, CmdWriteRegister, kSaveData), "Label_SaveData"),
    Radio("Radio_FanON", 824, CmdWriteRegister, kFanTestOn),
    Radio("Radio_FanOFF", 824, CmdWriteRegister, 0),
    Edit("Edit_FanDuty", 807, SafeInt, "Label_FanDuty").Range(kDutyRange).Value(FanDutyPosting),
    Button("Btn_ReadEnergy", 0, CmdReadEnergy, 0).After(DisableEnergyButtons),
    Button("Btn_WriteEnergy", 0, CmdWriteEnergy, 0).After(DisableEnergyButtons),
    Button("Btn_PrintLabel", 0, CmdNone, 0).Value(DumpLabels),
};

}  // namespace

extern const PanelControls kFactoryClearPanel{"GroupBox_FactoryClear", kFactoryClearRows};

std::span<const EditorDecl> ServiceCommandEditors() { return kEditors; }
