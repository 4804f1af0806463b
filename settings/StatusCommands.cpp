#include "settings/StatusCommands.h"

#include <QAbstractButton>
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Executor.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "settings/SettingEditors.h"

namespace {

constexpr const char* kDryContactModeItems =
    "Disable\nOn Grid\nFan Fail\nInsulation\nAlarm\nError\nFault\nWarning";

constexpr ControlDecl kDryContactRows[] = {
    {Kind::Label, "Label_DryContact1Caption", 8, 36, 70, 18, "Contact 1", 1},
    {Kind::Label, "Label_DryContact1_Mode", 80, 36, 72, 18, "??"},
    {Kind::Combo, "Combo_DryContact1_Mode", 156, 34, 92, 22, kDryContactModeItems, 0, kEditable},
    {Kind::Label, "Label_DryContact2Caption", 8, 70, 70, 18, "Contact 2", 1},
    {Kind::Label, "Label_DryContact2_Mode", 80, 70, 72, 18, "??"},
    {Kind::Combo, "Combo_DryContact2_Mode", 156, 68, 92, 22, kDryContactModeItems, 0, kEditable},
};

// The note is fixed text; its last three lines as the inverter maker wrote them.
constexpr ControlDecl kDryContactTestRows[] = {
    {Kind::Label, "Label_DryContactTestNote", 6, 34, 244, 190,
     "For the Australian market only.\n"
     "Press ON: once the inverter is on grid\n"
     "it gives the dry-contact signal.\n"
     "\n"
     "Once \u201COFF\u201D the Dry Contact Test, the \n"
     "country may return to default, so please \n"
     "select your country option manually. "},
    {Kind::Button, "Btn_DryContactTest3PON", 40, 240, 80, 28, "ON"},
    {Kind::Button, "Btn_DryContactTest3POFF", 136, 240, 80, 28, "OFF", 0, kDisabled},
};

constexpr ControlDecl kNightModeRows[] = {
    {Kind::Label, "Label_NightModeCaption", 8, 36, 80, 18, "Night Mode", 1},
    {Kind::Radio, "Radio_NightModeON", 92, 34, 70, 20, "Enable"},
    {Kind::Radio, "Radio_NightModeOFF", 166, 34, 80, 20, "Disable"},
};

constexpr CodeText kDryContactModes[] = {
    {0, "Disable"}, {1, "On Grid"}, {2, "Fan Fail"}, {3, "Insulation"},
    {4, "Alarm"},   {5, "Error"},   {6, "Fault"},    {7, "Warning"},
};
constexpr WordRead kDryContactWords[] = {
    Word(0, "Label_DryContact1_Mode", Show::Text).Texts(kDryContactModes).Mask(7),
    Word(1, "Label_DryContact2_Mode", Show::Text).Texts(kDryContactModes).Mask(7),
};
constexpr ReadBlock kDryContactBlocks[] = {Read(kReadHolding, 48173, 2, kDryContactWords)};
constexpr ReadView kDryContactView{"Group_DryContact", "Dry Cont...", kDryContactBlocks};

// Register 48158 takes command words: the flag with bit 15 sets it, the flag
// alone clears it. The view tests the flag the editors write.
constexpr int kNightModeFlag = 0x0040;
constexpr int kSetFlag = 0x8000;
constexpr WordRead kNightModeWords[] = {
    RadioWord(0, "Radio_NightModeON", "Radio_NightModeOFF", kNightModeFlag, kNightModeFlag),
};
constexpr ReadBlock kNightModeBlocks[] = {Read(kReadHolding, 48158, 1, kNightModeWords)};
constexpr ReadView kNightModeView{"Group_NightMode", "Night M...", kNightModeBlocks};

// ---- Hooks ----------------------------------------------------------------

// A checked box is being switched off: 825 := 0xFFFF. A clear one is being
// switched on, which takes two writes (command 10).
std::optional<Posting> ConstVoltPosting(TForm_Main&, const EditorDecl& row, const EditorInput& in) {
  if (in.checkedBefore) return Posting{row.reg, CmdWriteRegister, 0xFFFF, 0};
  return Posting{row.reg, CmdConstVoltOn, 0, 0};
}

bool MaxPowerAccess(TForm_Main& f) { return f.CheckAccessCode(); }

// Watts, never negative. To the current inverter divided by its power
// factor, so at most what one register holds times that factor. To every
// listed inverter the watts as they were typed, as 32 bits: each inverter's
// factor is known only once the executor has read it, and it checks the
// watts against every target before the first write.
std::optional<Posting> MaxPowerPosting(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> watts = TextValue(ValueRule::SafeInt, 1, in.text);
  if (!watts) return std::nullopt;
  if (BroadcastChosen(f)) {
    // Beyond 32 bits no inverter takes it either.
    const int64_t typed = std::clamp<int64_t>(*watts, INT32_MIN, INT32_MAX);
    return Posting{row.reg, CmdMaxPowerAll, typed & 0xFFFF, (typed >> 16) & 0xFFFF};
  }
  const int64_t factor = std::max(f.PowerMul, 1);
  const int64_t most = MostPowerWatts(f.PowerMul);
  if (*watts < 0 || *watts > most) {
    ShowPowerRange(most);
    return std::nullopt;
  }
  return Posting{row.reg, CmdWriteRegister, *watts / factor, 0};
}

// What the box may be given: the watts of a register's worth at the largest
// power factor an inverter reports (each inverter's own is known only once it
// has been read).
Bounds MaxPowerAccepted(const TForm_Main&) { return {0, MostPowerWatts(kLargestPowerMul)}; }

constexpr int64_t kMostTenths = 0xFFFFFFFFLL;
Bounds LifeEnergyAccepted(const TForm_Main&) { return {0, kMostTenths}; }

// Tenths of a kWh as a 32-bit count: low word, high word.
std::optional<Posting> LifeEnergyPosting(TForm_Main&, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> tenths = TextValue(ValueRule::Scaled, 10, in.text);
  if (!tenths) return std::nullopt;
  if (*tenths < 0 || *tenths > kMostTenths) {
    ShowMessage(QStringLiteral("Out of range: the value must lie from 0.0 to 429496729.5"));
    return std::nullopt;
  }
  return Posting{row.reg, CmdLifeEnergy, *tenths & 0xFFFF, *tenths >> 16};
}

// The first 13 characters go to the inverter, taken now: the edit may change
// before the command runs. Shorter text does nothing.
std::optional<Posting> SerialNumberPosting(TForm_Main&, const EditorDecl& row, const EditorInput& in) {
  constexpr int kLength = 13;
  if (in.text.size() < kLength) return std::nullopt;
  std::string sn;
  for (int i = 0; i < kLength; ++i) {
    const char16_t c = in.text[i].unicode();
    if (c < 0x20 || c > 0x7E) {
      ShowMessage(QStringLiteral("The serial number takes printable ASCII characters only"));
      return std::nullopt;
    }
    sn += static_cast<char>(c);
  }
  PostedSerialNumber = sn;
  return Posting{row.reg, CmdSerialNumber, 0, 0};
}

// ON disables itself and enables OFF; OFF the other way round.
void SwapDryContactTestButtons(TForm_Main& f, const EditorDecl& row) {
  ShowDryContactTestRunning(f, row.code == CmdDryContactOn);
}

// A button row whose command paints a value label red.
constexpr EditorDecl Painting(EditorDecl row, const char* label) {
  row.label = label;
  return row;
}

constexpr EditorDecl kEditors[] = {
    Radio("Radio_RemoteON", 24576, CmdWriteCoil, kCoilOn).After(PauseAfterPost),
    Radio("Radio_RemoteOFF", 24576, CmdWriteCoil, kCoilOff).After(PauseAfterPost),
    Check("Check_ConstVolt", 825, CmdWriteRegister, 0xFFFF, 0).Value(ConstVoltPosting),
    Edit("Edit_ConstVolt", 829, X10, "Label_ConstVolt"),
    Edit("Edit_MaxPower", 33595, SafeInt, "Label_MaxPower").Gate(MaxPowerAccess).Value(MaxPowerPosting)
        .Accepts(MaxPowerAccepted),
    Button("Btn_Unlock", 0, CmdGridUnlock, 0),
    Edit("Edit_LifeEnergy", 44224, X10, "Label_TotalWh").Code(CmdLifeEnergy).Value(LifeEnergyPosting)
        .Accepts(LifeEnergyAccepted),
    Button("Btn_ClearLog", 24624, CmdWriteCoil, kCoilOn),
    Edit("Edit_KeySN", 0, SafeInt, "Label_TarvoSN").Code(CmdSerialNumber).Value(SerialNumberPosting),
    Edit("Edit_AntiPidTripTime", 25419, SafeInt, "Label_AntiPidTripTime"),
    Radio("Radio_3P4W", 24649, CmdWriteCoil, kCoilOff),
    Radio("Radio_3P3W", 24649, CmdWriteCoil, kCoilOn),
    Combo("Combo_DryContact1_Mode", 48173, "Label_DryContact1_Mode"),
    Combo("Combo_DryContact2_Mode", 48174, "Label_DryContact2_Mode"),
    Painting(Button("Btn_DryContactTest3PON", 0, CmdDryContactOn, 0), "Label_MultiRelay1")
        .Label2("Label_PowerPro1")
        .After(SwapDryContactTestButtons),
    Painting(Button("Btn_DryContactTest3POFF", 0, CmdDryContactOff, 0), "Label_MultiRelay1")
        .Label2("Label_PowerPro1")
        .After(SwapDryContactTestButtons),
    Radio("Radio_NightModeON", 48158, CmdWriteRegister, kSetFlag | kNightModeFlag),
    Radio("Radio_NightModeOFF", 48158, CmdWriteRegister, kNightModeFlag),
};

}  // namespace

extern const PanelControls kDryContactPanel{"Group_DryContact", kDryContactRows};
extern const PanelControls kDryContactTestPanel{"Group_DryContactTest", kDryContactTestRows};
extern const PanelControls kNightModePanel{"Group_NightMode", kNightModeRows};

int PollDryContact(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kDryContactView); }
int PollNightMode(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kNightModeView); }

int64_t MostPowerWatts(int powerMul) { return 0xFFFFLL * std::max(powerMul, 1); }

void ShowPowerRange(int64_t mostWatts) {
  ShowMessage(QStringLiteral("Out of range: the power must lie from 0 to ") + QString::number(mostWatts) +
              QStringLiteral(" W"));
}

std::span<const EditorDecl> StatusCommandEditors() { return kEditors; }

void ShowDryContactTestRunning(TForm_Main& f, bool running) {
  if (auto* b = f.Ctl<QAbstractButton>(QStringLiteral("Btn_DryContactTest3PON"))) b->setEnabled(!running);
  if (auto* b = f.Ctl<QAbstractButton>(QStringLiteral("Btn_DryContactTest3POFF"))) b->setEnabled(running);
}

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> StatusCommandsReadViews() {
  static constexpr const ReadView* kViews[] = {&kDryContactView, &kNightModeView};
  return kViews;
}
