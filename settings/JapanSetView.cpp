#include <QString>
#include <optional>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "settings/JapanViews.h"
#include "settings/SettingEditors.h"

namespace {

// ---- Panel ----------------------------------------------------------------
// Left column: the nine coil switches, one row of 34 px each, every ON/OFF
// pair in a frame of its own so the pairs do not exclude each other; below
// them the LED test and the two resets. Right column: identity and state.

constexpr int kFirstRow = 32;
constexpr int kPitch = 34;
constexpr int Row(int k) { return kFirstRow + kPitch * k; }

#define JAPAN_SWITCH(k, caption, text, frame) \
  {Kind::Label, caption, 8, Row(k) + 2, 112, 18, text, 1}, {Kind::Frame, frame, 122, Row(k), 130, 24}

constexpr ControlDecl kJapanSetRows[] = {
    JAPAN_SWITCH(0, "Label_JapanRemote", "Remote", "Panel_JapanRemote"),
    JAPAN_SWITCH(1, "Label_JapanStandAlone", "StandAlone", "Panel_JapanStandAlone"),
    JAPAN_SWITCH(2, "Label_JapanRCMU1", "RCMU(24595)", "Panel_JapanRCMU1"),
    JAPAN_SWITCH(3, "Label_JapanRCMU2", "Ground Curr.", "Panel_JapanRCMU2"),
    JAPAN_SWITCH(4, "Label_JapanParllMode", "Parll mode", "Panel_JapanParllMode"),
    JAPAN_SWITCH(5, "Label_JapanThermalDis", "Thermal disable", "Panel_JapanThermalDis"),
    JAPAN_SWITCH(6, "Label_JapanDefault", "Return Default", "Panel_JapanDefault"),
    JAPAN_SWITCH(7, "Label_JapanRepair", "Repair", "Panel_JapanRepair"),
    JAPAN_SWITCH(8, "Label_JapanGf", "Ground Fault", "Panel_JapanGf"),
    {Kind::Frame, "GroupBox_JapanLedTest", 8, Row(9), 244, 56, "LED Test"},
    {Kind::Frame, "GroupBox_JapanClear", 8, Row(9) + 64, 244, 56, "Clear"},

    {Kind::Label, "Label_RatingCaption", 270, Row(0) + 2, 96, 18, "Rating", 1},
    {Kind::Label, "Label_Rating", 368, Row(0) + 2, 144, 18, "??"},
    {Kind::Label, "Label_ModelName2Caption", 270, Row(1) + 2, 96, 18, "Model Name", 1},
    {Kind::Label, "Label_ModelName2", 368, Row(1) + 2, 144, 18, "??"},
    {Kind::Label, "Label_TarvoSN1Caption", 270, Row(2) + 2, 96, 18, "S/N", 1},
    {Kind::Label, "Label_TarvoSN1", 368, Row(2) + 2, 144, 18, "??"},
    {Kind::Label, "Label_DSPCaption", 270, Row(3) + 2, 96, 18, "DSP"},
    {Kind::Label, "Label_DSPVer", 368, Row(3) + 2, 64, 18, "??"},
    {Kind::Label, "Label_DSPDate", 436, Row(3) + 2, 76, 18, "??"},
    {Kind::Label, "Label_RedCaption", 270, Row(4) + 2, 96, 18, "RED"},
    {Kind::Label, "Label_RedVer", 368, Row(4) + 2, 64, 18, "??"},
    {Kind::Label, "Label_RedDate", 436, Row(4) + 2, 76, 18, "??"},
    {Kind::Label, "Label_CommCaption", 270, Row(5) + 2, 96, 18, "COMM"},
    {Kind::Label, "Label_CommVer", 368, Row(5) + 2, 64, 18, "??"},
    {Kind::Label, "Label_CommDate", 436, Row(5) + 2, 76, 18, "??"},
    {Kind::Label, "Label_JapanStateCaption", 270, Row(6) + 2, 96, 18, "State", 1},
    {Kind::Label, "Label_JapanState", 368, Row(6) + 2, 144, 18, "??"},
    {Kind::Label, "Label_DeratingTimeCaption", 270, Row(7) + 2, 96, 18, "Derating Time", 1},
    {Kind::Label, "Label_DeratingTime", 368, Row(7) + 2, 144, 18, "??"},
    {Kind::Label, "Label_JapanCountdownCaption", 270, Row(8) + 2, 96, 18, "Countdown", 1},
    {Kind::Label, "Label_JapanCountdown", 368, Row(8) + 2, 60, 18, "??"},
    {Kind::Button, "Btn_CountSpeedup", 432, Row(8), 80, 24, "Speed Up"},
};

#undef JAPAN_SWITCH

#define JAPAN_PAIR(on, onText, off, offText) \
  {Kind::Radio, on, 0, 2, 60, 20, onText}, {Kind::Radio, off, 64, 2, 62, 20, offText}
constexpr ControlDecl kRemoteRows[] = {JAPAN_PAIR("Radio_StartON", "ON", "Radio_StartOFF", "OFF")};
constexpr ControlDecl kStandAloneRows[] = {JAPAN_PAIR("Radio_24577SA", "SA", "Radio_24577GT", "GT")};
constexpr ControlDecl kRCMU1Rows[] = {JAPAN_PAIR("Radio_RCMU1ON", "ON", "Radio_RCMU1OFF", "OFF")};
constexpr ControlDecl kRCMU2Rows[] = {JAPAN_PAIR("Radio_RCMU2ON", "ON", "Radio_RCMU2OFF", "OFF")};
constexpr ControlDecl kParllModeRows[] = {JAPAN_PAIR("Radio_ParllModeON", "ON", "Radio_ParllModeOFF", "OFF")};
constexpr ControlDecl kThermalDisRows[] = {JAPAN_PAIR("Radio_ThermalDisON", "ON", "Radio_ThermalDisOFF", "OFF")};
constexpr ControlDecl kDefaultRows[] = {JAPAN_PAIR("Radio_DefaultON", "ON", "Radio_DefaultOFF", "OFF")};
constexpr ControlDecl kRepairRows[] = {JAPAN_PAIR("Radio_RepairONJapan", "ON", "Radio_RepairOFFJapan", "OFF")};
constexpr ControlDecl kGfRows[] = {JAPAN_PAIR("Radio_GfONJapan", "ON", "Radio_GfOFFJapan", "OFF")};
#undef JAPAN_PAIR

constexpr ControlDecl kLedTestRows[] = {
    {Kind::Button, "Btn_LedTestON", 8, 22, 100, 26, "ON"},
    {Kind::Button, "Btn_LedTestOFF", 124, 22, 100, 26, "OFF"},
};
constexpr ControlDecl kClearRows[] = {
    {Kind::Button, "Btn_EnergyReset", 8, 22, 130, 26, "Energy && Runtime"},
    {Kind::Button, "Btn_EventReset", 146, 22, 90, 26, "Event Log"},
};

// ---- Read-back ------------------------------------------------------------

// Reply bytes 3 to 15, one character each: the first 13 characters of the
// model name or serial number. A zero byte ends the text, as the version
// view shows these labels too.
std::optional<QString> Characters13(const Modbus* link, uint16_t) {
  QString text;
  for (int i = 3; i <= 15; ++i) {
    const uint8_t byte = link->Reply[i];
    if (byte == 0) break;
    text += QChar(byte);
  }
  return text;
}

std::optional<QString> VersionWord(const Modbus*, uint16_t word) { return VersionText(word); }

// "Y" + year + "W" + the week in two digits: 17 and 5 give Y17W05.
std::optional<QString> DateWord(const Modbus*, uint16_t word) {
  const int week = word & 0xFF;
  return QStringLiteral("Y%1W%2%3").arg(word >> 8).arg(week / 10).arg(week % 10);
}

// Which radio of each coil row shows ON; the stand-alone coil is SA for
// anything but 0.
constexpr WordRead kRemote[] = {RadioWord(0, "Radio_StartON", "Radio_StartOFF")};
constexpr WordRead kStandAlone[] = {RadioWord(0, "Radio_24577GT", "Radio_24577SA", 0xFFFF, 0)};
constexpr WordRead kRCMU1[] = {RadioWord(0, "Radio_RCMU1ON", "Radio_RCMU1OFF")};
constexpr WordRead kRCMU2[] = {RadioWord(0, "Radio_RCMU2ON", "Radio_RCMU2OFF")};
constexpr WordRead kParllMode[] = {RadioWord(0, "Radio_ParllModeON", "Radio_ParllModeOFF")};
constexpr WordRead kThermalDis[] = {RadioWord(0, "Radio_ThermalDisON", "Radio_ThermalDisOFF")};
constexpr WordRead kDefault[] = {RadioWord(0, "Radio_DefaultON", "Radio_DefaultOFF")};
constexpr WordRead kRepair[] = {RadioWord(0, "Radio_RepairONJapan", "Radio_RepairOFFJapan")};
constexpr WordRead kGf[] = {RadioWord(0, "Radio_GfONJapan", "Radio_GfOFFJapan")};

// Only the rating turns blue; the other labels keep the panel's colour.
constexpr WordRead kRating[] = {Word(0, "Label_Rating", Show::Decimal)};
constexpr WordRead kModelName[] = {
    HookWord(0, "Label_ModelName", Characters13).NoPaint(),
    HookWord(0, "Label_ModelName2", Characters13).NoPaint(),
};
constexpr WordRead kSerial[] = {
    HookWord(0, "Label_TarvoSN", Characters13).NoPaint(),
    HookWord(0, "Label_TarvoSN1", Characters13).NoPaint(),
};
constexpr WordRead kVersions[] = {
    HookWord(0, "Label_DSPVer", VersionWord).NoPaint(),  HookWord(1, "Label_DSPDate", DateWord).NoPaint(),
    HookWord(2, "Label_RedVer", VersionWord).NoPaint(),  HookWord(3, "Label_RedDate", DateWord).NoPaint(),
    HookWord(4, "Label_CommVer", VersionWord).NoPaint(), HookWord(5, "Label_CommDate", DateWord).NoPaint(),
};
constexpr WordRead kDerating[] = {Word(0, "Label_DeratingTime", Show::Decimal, " min").NoPaint()};
constexpr WordRead kCountdown[] = {Word(0, "Label_JapanCountdown", Show::Decimal, " s").NoPaint()};

// The operating state comes from the remote and stand-alone coils read once
// more; it is told only when both replies were usable.
std::optional<uint8_t> g_remote;

int KeepRemote(Modbus* link) {
  g_remote = link->Reply[3];
  return 0;
}
int LoseRemote(Modbus*) {
  g_remote.reset();
  return 0;
}
QString StateText(uint8_t remote, uint8_t standAlone) {
  if (remote == 0) return QStringLiteral("Stop");
  if (remote == 1 && standAlone == 1) return QStringLiteral("Stand alone");
  if (remote == 1 && standAlone == 0) return QStringLiteral("On Grid");
  return QStringLiteral("??");
}
int ShowState(Modbus* link) {
  SetText(QStringLiteral("Label_JapanState"), g_remote ? StateText(*g_remote, link->Reply[3]) : QStringLiteral("??"));
  return 0;
}
int StateUnknown(Modbus*) {
  SetText(QStringLiteral("Label_JapanState"), QStringLiteral("??"));
  return 0;
}

constexpr ReadBlock kJapanSetBlocks[] = {
    Read(kReadCoils, 24576, 1, kRemote),
    Read(kReadCoils, 24577, 1, kStandAlone),
    Read(kReadCoils, 24595, 1, kRCMU1),
    Read(kReadCoils, 24642, 1, kRCMU2),
    Read(kReadCoils, 24649, 1, kParllMode),
    Read(kReadCoils, 24617, 1, kThermalDis),
    Read(kReadCoils, 24626, 1, kDefault),
    Read(kReadCoils, 24609, 1, kRepair),
    Read(kReadCoils, 24641, 1, kGf),
    Read(kReadHolding, 33597, 1, kRating),
    Read(kReadHolding, 44032, 8, kModelName),
    Read(kReadInput, 40975, 7, kSerial),
    Read(kReadInput, 1040, 6, kVersions),
    Read(kReadInput, 20840, 1, kDerating),
    Read(kReadCoils, 24576, 1, {}).Then(KeepRemote).Otherwise(LoseRemote),
    Read(kReadCoils, 24577, 1, {}).Then(ShowState).Otherwise(StateUnknown),
    Read(kReadInput, 1049, 1, kCountdown),
};
constexpr ReadView kJapanSetView{"Group_JapanSet", "Japan...", kJapanSetBlocks};

// ---- Editors --------------------------------------------------------------
// Every switch is one coil write on mouse-down; none paints a label. The
// repair and ground-fault pairs write the same coils as the factory repair
// switch and the insulation switch; the speed-up is the repair ON write.

constexpr EditorDecl kEditors[] = {
    Radio("Radio_StartON", 24576, CmdWriteCoil, kCoilOn),
    Radio("Radio_StartOFF", 24576, CmdWriteCoil, kCoilOff),
    Radio("Radio_24577SA", 24577, CmdWriteCoil, kCoilOn),
    Radio("Radio_24577GT", 24577, CmdWriteCoil, kCoilOff),
    Radio("Radio_RCMU1ON", 24595, CmdWriteCoil, kCoilOn),
    Radio("Radio_RCMU1OFF", 24595, CmdWriteCoil, kCoilOff),
    Radio("Radio_RCMU2ON", 24642, CmdWriteCoil, kCoilOn),
    Radio("Radio_RCMU2OFF", 24642, CmdWriteCoil, kCoilOff),
    Radio("Radio_ParllModeON", 24649, CmdWriteCoil, kCoilOn),
    Radio("Radio_ParllModeOFF", 24649, CmdWriteCoil, kCoilOff),
    Radio("Radio_ThermalDisON", 24617, CmdWriteCoil, kCoilOn),
    Radio("Radio_ThermalDisOFF", 24617, CmdWriteCoil, kCoilOff),
    Radio("Radio_DefaultON", 24626, CmdWriteCoil, kCoilOn),
    Radio("Radio_DefaultOFF", 24626, CmdWriteCoil, kCoilOff),
    Radio("Radio_RepairONJapan", 24609, CmdWriteCoil, kCoilOn),
    Radio("Radio_RepairOFFJapan", 24609, CmdWriteCoil, kCoilOff),
    Radio("Radio_GfONJapan", 24641, CmdWriteCoil, kCoilOn),
    Radio("Radio_GfOFFJapan", 24641, CmdWriteCoil, kCoilOff),
    Button("Btn_CountSpeedup", 24609, CmdWriteCoil, kCoilOn),
    Button("Btn_LedTestON", 24713, CmdWriteCoil, kCoilOn),
    Button("Btn_LedTestOFF", 24713, CmdWriteCoil, kCoilOff),
    Button("Btn_EnergyReset", 0, CmdEnergyReset, 0),
    Button("Btn_EventReset", 24624, CmdWriteCoil, kCoilOn),
};

}  // namespace

extern const PanelControls kJapanSetPanel{"Group_JapanSet", kJapanSetRows};
extern const PanelControls kJapanRemotePanel{"Panel_JapanRemote", kRemoteRows};
extern const PanelControls kJapanStandAlonePanel{"Panel_JapanStandAlone", kStandAloneRows};
extern const PanelControls kJapanRCMU1Panel{"Panel_JapanRCMU1", kRCMU1Rows};
extern const PanelControls kJapanRCMU2Panel{"Panel_JapanRCMU2", kRCMU2Rows};
extern const PanelControls kJapanParllModePanel{"Panel_JapanParllMode", kParllModeRows};
extern const PanelControls kJapanThermalDisPanel{"Panel_JapanThermalDis", kThermalDisRows};
extern const PanelControls kJapanDefaultPanel{"Panel_JapanDefault", kDefaultRows};
extern const PanelControls kJapanRepairPanel{"Panel_JapanRepair", kRepairRows};
extern const PanelControls kJapanGfPanel{"Panel_JapanGf", kGfRows};
extern const PanelControls kJapanLedTestPanel{"GroupBox_JapanLedTest", kLedTestRows};
extern const PanelControls kJapanClearPanel{"GroupBox_JapanClear", kClearRows};

int PollJapanSet(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kJapanSetView); }

std::span<const EditorDecl> JapanSetEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> JapanSetReadViews() {
  static constexpr const ReadView* kViews[] = {&kJapanSetView};
  return kViews;
}
