#include "monitor/EngineeringViews.h"

#include <QRadioButton>

#include "app/ControlTable.h"
#include "app/GroupPanel.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_TotalPower: input and output totals side by side, then Q and PF.
constexpr ControlDecl kTotalPowerRows[] = {
    {Kind::Label, "Label_TotalInputCaption", 8, 32, 110, 16, "Input", 1},
    {Kind::Label, "Label_TotalOutputCaption", 130, 32, 110, 16, "Output", 1},
    {Kind::Label, "Label_TotalInputPower", 8, 52, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalOutputPower", 130, 52, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalInputCurrent", 8, 74, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalOutputCurrent", 130, 74, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Q_Sum", 8, 106, 232, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PowerFactor", 8, 130, 232, 18, "??", 0, kBlue},
};

// Group_DcRelayAccTimes: one counter per relay contact.
constexpr ControlDecl kDcRelayRows[] = {
    {Kind::Label, "Label_DCRelayTimesP1Caption", 8, 30, 100, 16, "P1 Times", 1},
    {Kind::Label, "Label_DCRelayTimesP1", 120, 30, 120, 18, "??", 0, kBlue},
    {Kind::Label, "Label_DCRelayTimesN1Caption", 8, 60, 100, 16, "N1 Times", 1},
    {Kind::Label, "Label_DCRelayTimesN1", 120, 60, 120, 18, "??", 0, kBlue},
    {Kind::Label, "Label_DCRelayTimesP2Caption", 8, 90, 100, 16, "P2 Times", 1},
    {Kind::Label, "Label_DCRelayTimesP2", 120, 90, 120, 18, "??", 0, kBlue},
    {Kind::Label, "Label_DCRelayTimesN2Caption", 8, 120, 100, 16, "N2 Times", 1},
    {Kind::Label, "Label_DCRelayTimesN2", 120, 120, 120, 18, "??", 0, kBlue},
};

// Group_AntiPid: the trip time with its editor, and the state.
constexpr ControlDecl kAntiPidRows[] = {
    {Kind::Label, "Label_AntiPidTripTimeCaption", 8, 34, 80, 16, "Trip Time", 1},
    {Kind::Label, "Label_AntiPidTripTime", 92, 34, 70, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_AntiPidTripTime", 170, 32, 70, 22},
    {Kind::Label, "Label_AntiPidStateCaption", 8, 74, 80, 16, "State", 1},
    {Kind::Label, "Label_AntiPidState", 92, 74, 150, 18, "??", 0, kBlue},
};

// Group_Factory: the reset buttons' box, grid lock pair, the data-save register with its button, and
// the repair pair in a box that only the SuperUser profile shows.
constexpr ControlDecl kFactoryRows[] = {
    {Kind::Frame, "GroupBox_FactoryClear", 4, 30, 246, 116, "Clear"},
    {Kind::Label, "Label_GridLockCaption", 8, 150, 80, 16, "Grid Lock", 1},
    {Kind::Radio, "Label_GridLockON", 92, 148, 60, 20, "ON"},
    {Kind::Radio, "Label_GridLockOFF", 160, 148, 60, 20, "OFF"},
    {Kind::Label, "Label_SaveDataCaption", 8, 180, 50, 16, "Save:", 1},
    {Kind::Label, "Label_SaveData", 60, 180, 80, 18, "??", 0, kBlue},
    {Kind::Button, "Btn_SaveData", 150, 176, 70, 24, "Click"},
    {Kind::Frame, "Group_UseForFactory", 4, 210, 246, 60, "", 0, kHidden},
};
constexpr ControlDecl kUseForFactoryRows[] = {
    {Kind::Label, "Label_RepairCaption", 4, 20, 80, 16, "Repair:", 1},
    {Kind::Radio, "Radio_RepairON", 88, 18, 60, 20, "ON"},
    {Kind::Radio, "Radio_RepairOFF", 156, 18, 60, 20, "OFF"},
};

// Group_AcTerminal: the terminal type.
constexpr ControlDecl kAcTerminalRows[] = {
    {Kind::Label, "Label_AcTerminalType", 8, 34, 60, 16, "Type", 1},
    {Kind::Radio, "Radio_3P3W", 72, 32, 70, 20, "3P3W"},
    {Kind::Radio, "Radio_3P4W", 150, 32, 70, 20, "3P4W"},
};

// Group_FanTest: test mode pair and the duty.
constexpr ControlDecl kFanTestRows[] = {
    {Kind::Label, "Label_FanModeCaption", 8, 34, 60, 16, "Mode", 1},
    {Kind::Radio, "Radio_FanON", 72, 32, 60, 20, "ON"},
    {Kind::Radio, "Radio_FanOFF", 140, 32, 60, 20, "OFF"},
    {Kind::Label, "Label_FanDutyCaption", 8, 74, 60, 16, "Duty", 1},
    {Kind::Label, "Label_FanDuty", 72, 74, 60, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_FanDuty", 140, 72, 60, 22},
};

// Group_VIPGain: the channel and its gains, one row each: caption, value
// read back, editor.
#define GAIN_ROW(y, name, caption)                                           \
  {Kind::Label, "Label_" name "Caption", 8, y, 130, 16, caption, 1},         \
      {Kind::Label, "Label_" name, 140, y, 80, 18, "??", 0, kBlue},          \
      {Kind::Edit, "Edit_" name, 230, y - 2, 80, 22}
constexpr ControlDecl kVIPGainRows[] = {
    {Kind::Label, "Label_GainIndexCaption", 8, 34, 130, 16, "Index:", 1},
    {Kind::Label, "Label_GainIndex", 140, 34, 120, 18, "??", 0, kBlue},
    {Kind::Combo, "Combo_GainIndex", 270, 32, 130, 22,
     "Inout1\nInput2\nInput3\nInput4\nInout5\nInput6\nInput7\nInput8\nOutput1\nOutput2\nOutput3\nPbus\nNbus\n"
     "Output1(out)\nOutput2(out)\nOutput3(out)\nTotal Bus"},
    GAIN_ROW(66, "VoltHighGain", "Volt. High Gain"),
    GAIN_ROW(98, "VoltBoundary", "Volt. Boundary"),
    GAIN_ROW(130, "VoltLowGain", "Volt. Low Gain"),
    GAIN_ROW(162, "CurrHighGain", "Curr. High Gain"),
    GAIN_ROW(194, "CurrBoundary", "Curr. Boundary"),
    GAIN_ROW(226, "CurrLowGain", "Curr. Low Gain"),
    GAIN_ROW(258, "PowerHighGain", "Power High Gain"),
    GAIN_ROW(290, "PowertBoundary", "Power Boundary"),
    GAIN_ROW(322, "PowerLowGain", "Power Low Gain"),
    GAIN_ROW(354, "VoltHighGainRed", "V High Gain(Red)"),
    GAIN_ROW(386, "VoltBoundaryRed", "V Boundary(Red)"),
    GAIN_ROW(418, "VoltLowGainRed", "V Low Gain(Red)"),
    // The calibration row: hidden by design and never shown, so it takes no
    // input.
    {Kind::Label, "Label204", 8, 452, 78, 16, "Calibration", 1, kHidden},
    {Kind::Edit, "Edit_VoltCaliLow", 90, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_VoltCaliHigh", 142, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_CurrCaliLow", 194, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_CurrCaliHigh", 246, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_PowerCaliLow", 298, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_PowerCaliHigh", 350, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_VoltRedCaliHigh", 402, 450, 48, 22, "", 0, kHidden},
    {Kind::Edit, "Edit_VoltRedCaliLow", 454, 450, 48, 22, "", 0, kHidden},
};
#undef GAIN_ROW

void SetBlue(const char* name, const QString& text) {
  if (ValueLabel* l = ViewLabel(name)) l->show(text, clBlue);
}

// Checks one button of a pair; the editors react to mouse-down only, so this
// posts nothing.
void Check(const char* on, const char* off, bool first) {
  if (auto* r = Form_Main->Ctl<QRadioButton>(QLatin1String(first ? on : off))) r->setChecked(true);
}

bool PanelHidden(const char* name) {
  const GroupPanel* p = Form_Main->Panel(QLatin1String(name));
  return !p || p->isHidden();
}

QString Int(long long v) { return QString::number(v); }

QString AntiPidStateText(uint16_t code) {
  static const char* const kTexts[] = {"Ready",  "Finished",        "Relay_Test", "Stop",      "In_Progress",
                                       "Unknow", "Relay_Test_Fail", "OCR_Fail",   "NO_DC_Fail"};
  return code < std::size(kTexts) ? QString::fromLatin1(kTexts[code]) : QString();
}

QString GainChannelText(uint16_t index) {
  static const struct {
    uint16_t index;
    const char* text;
  } kChannels[] = {
      {0, "Output1"},       {1, "Output2"},       {2, "Output3"},       {16, "Output1(out)"}, {17, "Output2(out)"},
      {18, "Output3(out)"}, {48, "Input1"},       {49, "Input2"},       {50, "Input3"},       {51, "Input4"},
      {52, "Input5"},       {53, "Input6"},       {54, "Input7"},       {55, "Input8"},       {64, "Pbus"},
      {65, "Nbus"},         {66, "Total Bus"},
  };
  for (const auto& c : kChannels)
    if (c.index == index) return QString::fromLatin1(c.text);
  // The error names the index that was not recognised.
  return QStringLiteral("Error(") + Int(index) + QLatin1Char(')');
}

// One total: the power word (signed per the device) times PowerMul; the
// current belongs to the hidden partner panel's view, so it is emptied.
int ReadTotal(Modbus* link, int reg, const char* powerLabel, const char* currentLabel) {
  if (link->Request(reg, 1, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    const uint16_t w = ReplyWord(link, 0);
    const int raw = Form_Main->SignedValues == 1 ? static_cast<int16_t>(w) : w;
    SetText(powerLabel, Int(static_cast<long long>(raw) * Form_Main->PowerMul) + QStringLiteral(" W"));
  }
  SetText(currentLabel, QString());
  return 0;
}

}  // namespace

extern const PanelControls kTotalPowerPanel{"Group_TotalPower", kTotalPowerRows};
extern const PanelControls kDcRelayAccTimesPanel{"Group_DcRelayAccTimes", kDcRelayRows};
extern const PanelControls kAntiPidPanel{"Group_AntiPid", kAntiPidRows};
extern const PanelControls kFactoryPanel{"Group_Factory", kFactoryRows};
extern const PanelControls kUseForFactoryPanel{"Group_UseForFactory", kUseForFactoryRows};
extern const PanelControls kAcTerminalPanel{"Group_AcTerminal", kAcTerminalRows};
extern const PanelControls kFanTestPanel{"Group_FanTest", kFanTestRows};
extern const PanelControls kVIPGainPanel{"Group_VIPGain", kVIPGainRows};

int PollDcRelayAccTimes(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_DcRelayAccTimes", QStringLiteral("DC Relay..."), result)) return result;
  if (link->Request(23050, 8, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  static const char* const kLabels[] = {"Label_DCRelayTimesP1", "Label_DCRelayTimesN1", "Label_DCRelayTimesP2",
                                        "Label_DCRelayTimesN2"};
  for (int j = 0; j < 4; ++j) {
    // Low word first.
    const uint32_t v = ReplyWord(link, 2 * j) | static_cast<uint32_t>(ReplyWord(link, 2 * j + 1)) << 16;
    SetText(kLabels[j], Int(static_cast<int32_t>(v)));
  }
  return 0;
}

int PollAntiPid(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_AntiPid", QStringLiteral("PID..."), result)) return result;
  if (link->Request(25419, 2, kReadHolding)) return 1;
  if (!ReplyUsable(link, kReadHolding)) return 0;
  SetBlue("Label_AntiPidTripTime", Int(ReplyWord(link, 0)));
  SetText("Label_AntiPidState", AntiPidStateText(ReplyWord(link, 1)));
  return 0;
}

int PollTotalPower(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_TotalPower", QStringLiteral("Total Pow..."), result)) return result;
  TForm_Main& f = *Form_Main;
  // The DC and AC views fill their own totals while their panels show.
  if (PanelHidden("Group_GetDC1") &&
      ReadTotal(link, 45056, "Label_TotalInputPower", "Label_TotalInputCurrent"))
    return 1;
  if (PanelHidden("Group_GetAC1") &&
      ReadTotal(link, 49152, "Label_TotalOutputPower", "Label_TotalOutputCurrent"))
    return 1;

  const QString positive = f.ReactiveSign == 0 ? QStringLiteral("Ind ") : QStringLiteral("Cap ");
  const QString negative = f.ReactiveSign == 0 ? QStringLiteral("Cap ") : QStringLiteral("Ind ");
  if (link->Request(49248, 2, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  // Always signed, whatever the device's convention for other words.
  const long long q = static_cast<long long>(static_cast<int16_t>(ReplyWord(link, 0))) * f.PowerMul;
  SetText("Label_Q_Sum", QStringLiteral("Q: ") + (q >= 0 ? positive + Int(q) : negative + Int(-q)) +
                             QStringLiteral(" Var"));
  const int pf = static_cast<int16_t>(ReplyWord(link, 1));
  SetText("Label_PowerFactor",
          QStringLiteral("PF: ") + (pf >= 0 ? positive + FormatCenti(pf) : negative + FormatCenti(-pf)));
  return 0;
}

int PollFactory(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_Factory", QStringLiteral("Factory..."), result)) return result;
  if (link->Request(24609, 1, kReadCoils)) return 1;
  if (ReplyUsable(link, kReadCoils)) Check("Radio_RepairON", "Radio_RepairOFF", link->Reply[3] == 1);

  if (link->Request(24665, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) SetBlue("Label_SaveData", Int(ReplyWord(link, 0)));

  if (link->Request(48158, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) Check("Label_GridLockON", "Label_GridLockOFF", ReplyWord(link, 0) & 0x0002);
  return 0;
}

int PollAcTerminal(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_AcTerminal", QStringLiteral("AcTerminal..."), result)) return result;
  if (link->Request(24649, 1, kReadCoils)) return 1;
  if (ReplyUsable(link, kReadCoils)) Check("Radio_3P3W", "Radio_3P4W", link->Reply[3] == 1);
  return 0;
}

int PollFanTest(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_FanTest", QStringLiteral("Fan Test..."), result)) return result;
  if (link->Request(824, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) Check("Radio_FanON", "Radio_FanOFF", (ReplyWord(link, 0) & 0xFF) == 0x20);

  if (link->Request(807, 1, kReadHolding)) return 1;
  // The duty editor sets bit 15; only the low byte is the duty.
  if (ReplyUsable(link, kReadHolding)) SetBlue("Label_FanDuty", Int(ReplyWord(link, 0) & 0xFF));
  return 0;
}

int PollVIPGain(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_VIPGain", QStringLiteral("Gain..."), result)) return result;
  if (link->Request(33536, 13, kReadHolding)) return 1;
  if (!ReplyUsable(link, kReadHolding)) return 0;
  static const char* const kGainLabels[] = {
      "Label_VoltHighGain",  "Label_VoltBoundary",  "Label_VoltLowGain",     "Label_CurrHighGain",
      "Label_CurrBoundary",  "Label_CurrLowGain",   "Label_PowerHighGain",   "Label_PowertBoundary",
      "Label_PowerLowGain",  "Label_VoltHighGainRed", "Label_VoltBoundaryRed", "Label_VoltLowGainRed"};
  SetBlue("Label_GainIndex", GainChannelText(ReplyWord(link, 0)));
  for (int k = 0; k < 12; ++k) SetBlue(kGainLabels[k], Int(ReplyWord(link, k + 1)));
  return 0;
}
