#include "monitor/LoadBatteryViews.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_LoadPower1 and Group_LoadPower2: one row per quantity; no item fills PF.
constexpr ControlDecl kLoadPower1Rows[] = {
    {Kind::Label, "Label_Vload1Caption", 8, 30, 110, 16, "Voltage", 1},
    {Kind::Label, "Label_Vload1", 130, 30, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Iload1Caption", 8, 60, 110, 16, "Current", 1},
    {Kind::Label, "Label_Iload1", 130, 60, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pload1Caption", 8, 90, 110, 16, "Power", 1},
    {Kind::Label, "Label_Pload1", 130, 90, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Fload1Caption", 8, 120, 110, 16, "Frequency", 1},
    {Kind::Label, "Label_Fload1", 130, 120, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PFload1Caption", 8, 150, 110, 16, "PF", 1},
    {Kind::Label, "Label_PFload1", 130, 150, 110, 18, "??", 0, kBlue},
};
constexpr ControlDecl kLoadPower2Rows[] = {
    {Kind::Label, "Label_Vload2Caption", 8, 30, 110, 16, "Voltage", 1},
    {Kind::Label, "Label_Vload2", 130, 30, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Iload2Caption", 8, 60, 110, 16, "Current", 1},
    {Kind::Label, "Label_Iload2", 130, 60, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pload2Caption", 8, 90, 110, 16, "Power", 1},
    {Kind::Label, "Label_Pload2", 130, 90, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Fload2Caption", 8, 120, 110, 16, "Frequency", 1},
    {Kind::Label, "Label_Fload2", 130, 120, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PFload2Caption", 8, 150, 110, 16, "PF", 1},
    {Kind::Label, "Label_PFload2", 130, 150, 110, 18, "??", 0, kBlue},
};

// Group_Subsidy: each value's caption, read-back label and editor.
constexpr ControlDecl kSubsidyRows[] = {
    {Kind::Label, "Label_Subsidy_ModeCaption", 6, 34, 96, 16, "Mode", 1},
    {Kind::Label, "Label_Subsidy_Mode", 104, 34, 72, 18, "??", 0, kBlue},
    {Kind::Combo, "Combo_Subsidy_Mode", 180, 32, 70, 22, "OFF\nON"},
    {Kind::Label, "Label_PV_CapacityCaption", 6, 66, 96, 16, "PV Capacity", 1},
    {Kind::Label, "Label_PV_Capacity", 104, 66, 72, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PV_Capacity", 180, 64, 70, 22},
    {Kind::Label, "Label_Feedin_PercentCaption", 6, 98, 96, 16, "Feed-in Percent", 1},
    {Kind::Label, "Label_Feedin_Percent", 104, 98, 72, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_Feedin_Percent", 180, 96, 70, 22},
};

// The pickers of a window time: one-row lists scrolled like spinners, the
// top item being the value.
constexpr const char kHours[] =
    "00\n01\n02\n03\n04\n05\n06\n07\n08\n09\n10\n11\n"
    "12\n13\n14\n15\n16\n17\n18\n19\n20\n21\n22\n23";
constexpr const char kMinutes[] = "00\n30";

// One window: its start row with the Set button, its stop row with Clear.
#define BT_WINDOW(x, y, n, label, list, button)                                                  \
  {Kind::Label, label "T" n "StartCaption", x, y + 2, 50, 16, "T" n " Start", 1},                \
      {Kind::Label, label "T" n "Start", x + 52, y + 2, 48, 18, "??", 0, kBlue},                 \
      {Kind::List, list "T" n "StartHour", x + 102, y, 40, 22, kHours},                          \
      {Kind::List, list "T" n "StartMin", x + 144, y, 40, 22, kMinutes},                         \
      {Kind::Button, button "T" n "Set", x + 188, y - 1, 62, 24, "T" n " Set"},                  \
      {Kind::Label, label "T" n "StopCaption", x, y + 38, 50, 16, "T" n " Stop", 1},             \
      {Kind::Label, label "T" n "Stop", x + 52, y + 38, 48, 18, "??", 0, kBlue},                 \
      {Kind::List, list "T" n "StopHour", x + 102, y + 36, 40, 22, kHours},                      \
      {Kind::List, list "T" n "StopMin", x + 144, y + 36, 40, 22, kMinutes},                     \
      {Kind::Button, button "T" n "Clear", x + 188, y + 35, 62, 24, "T" n " Clear"}

// Group_BT_CTRL: mode, limits, then the charge and discharge windows.
constexpr ControlDecl kBTCtrlRows[] = {
    {Kind::Label, "Label_BT_CtrlModeCaption", 8, 32, 120, 16, "Operation Mode", 1},
    {Kind::Label, "Label_BT_CtrlMode", 132, 32, 130, 18, "??", 0, kBlue},
    {Kind::Combo, "Combo_BT_CtrlMode", 270, 30, 170, 22,
     "1: Selfconsumption\n2: Peak Cut\n3: Selling First\n4: Charge First\n5: Discharge First\n6: Without Battery"},
    {Kind::Label, "Label_SOC_LimitCaption", 8, 64, 120, 16, "SOC Limit", 1},
    {Kind::Label, "Label_SOC_Limit", 132, 64, 130, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_SOC_Limit", 270, 62, 70, 22},
    {Kind::Label, "Label_Peak_Cut_PowerCaption", 8, 96, 120, 16, "Peak Cut Power", 1},
    {Kind::Label, "Label_Peak_Cut_Power", 132, 96, 130, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_Peak_Cut_Power", 270, 94, 70, 22},
    {Kind::Label, "Label_BT_ChargeBox", 8, 130, 240, 16, "BT Charge", 1},
    BT_WINDOW(8, 152, "1", "Label_BT_Charge_", "List_BTC_", "Btn_BTCharge"),
    BT_WINDOW(8, 224, "2", "Label_BT_Charge_", "List_BTC_", "Btn_BTCharge"),
    BT_WINDOW(8, 296, "3", "Label_BT_Charge_", "List_BTC_", "Btn_BTCharge"),
    {Kind::Label, "Label_BT_DCHGBox", 264, 130, 240, 16, "BT DCHG", 1},
    BT_WINDOW(264, 152, "1", "Label_BT_DCHG_", "List_BTDCHG_", "Btn_BTDCHG"),
    BT_WINDOW(264, 224, "2", "Label_BT_DCHG_", "List_BTDCHG_", "Btn_BTDCHG"),
    BT_WINDOW(264, 296, "3", "Label_BT_DCHG_", "List_BTDCHG_", "Btn_BTDCHG"),
};
#undef BT_WINDOW

// Group_BT_Info: one row per battery value.
constexpr ControlDecl kBTInfoRows[] = {
    {Kind::Label, "Label_BT_StatusCaption", 8, 32, 110, 16, "BT Status", 1},
    {Kind::Label, "Label_BT_Status", 130, 32, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_SOCCaption", 8, 49, 110, 16, "BT SOC", 1},
    {Kind::Label, "Label_BT_SOC", 130, 49, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_SOHCaption", 8, 66, 110, 16, "BT SOH", 1},
    {Kind::Label, "Label_BT_SOH", 130, 66, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_EventCaption", 8, 83, 110, 16, "BT Event", 1},
    {Kind::Label, "Label_BT_Event", 130, 83, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_MaxVoltCaption", 8, 100, 110, 16, "BT MaxVolt", 1},
    {Kind::Label, "Label_BT_MaxVolt", 130, 100, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_MinVoltCaption", 8, 117, 110, 16, "BT MinVolt", 1},
    {Kind::Label, "Label_BT_MinVolt", 130, 117, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_MaxTCaption", 8, 134, 110, 16, "BT MaxT", 1},
    {Kind::Label, "Label_BT_MaxT", 130, 134, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_MinTCaption", 8, 151, 110, 16, "BT MinT", 1},
    {Kind::Label, "Label_BT_MinT", 130, 151, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_CapacityCaption", 8, 168, 110, 16, "BT Capacity", 1},
    {Kind::Label, "Label_BT_Capacity", 130, 168, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_ModeCaption", 8, 185, 110, 16, "BT Mode", 1},
    {Kind::Label, "Label_BT_Mode", 130, 185, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_RealSOCCaption", 8, 202, 110, 16, "BT RealSOC", 1},
    {Kind::Label, "Label_BT_RealSOC", 130, 202, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_RPRPwrCaption", 8, 219, 110, 16, "BT RPRPwr", 1},
    {Kind::Label, "Label_BT_RPRPwr", 130, 219, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_VoltageCaption", 8, 236, 110, 16, "BT Voltage", 1},
    {Kind::Label, "Label_BT_Voltage", 130, 236, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_CurrentCaption", 8, 253, 110, 16, "BT Current", 1},
    {Kind::Label, "Label_BT_Current", 130, 253, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_PowerCaption", 8, 270, 110, 16, "BT Power", 1},
    {Kind::Label, "Label_BT_Power", 130, 270, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_MCCLCaption", 8, 287, 110, 16, "BT MCCL", 1},
    {Kind::Label, "Label_BT_MCCL", 130, 287, 110, 16, "??", 0, kBlue},
    {Kind::Label, "Label_BT_MDCLCaption", 8, 304, 110, 16, "BT MDCL", 1},
    {Kind::Label, "Label_BT_MDCL", 130, 304, 110, 16, "??", 0, kBlue},
};

void SetBlue(const char* name) {
  if (ValueLabel* l = ViewLabel(name)) l->setFontColor(clBlue);
}

QString Int(long long v) { return QString::number(v); }

// How one battery word is shown.
enum class Form { Int, Deci, Centi, Times10, TimesPowerMul };

struct BatteryRow {
  int word;
  const char* label;
  bool isSigned;
  Form form;
  const char* unit;
};

constexpr BatteryRow kBTInfoFirst[] = {
    {0, "Label_BT_Status", false, Form::Int, ""},        {2, "Label_BT_SOC", false, Form::Deci, " %"},
    {3, "Label_BT_SOH", false, Form::Int, " %"},         {5, "Label_BT_Event", false, Form::Int, ""},
    {6, "Label_BT_MaxVolt", false, Form::Int, " mV"},    {8, "Label_BT_MinVolt", false, Form::Int, " mV"},
    {9, "Label_BT_MaxT", false, Form::Int, " °C"},       {10, "Label_BT_MinT", false, Form::Int, " °C"},
    {13, "Label_BT_Capacity", false, Form::Deci, " KWh"}, {16, "Label_BT_Mode", false, Form::Int, ""},
    {18, "Label_BT_RealSOC", false, Form::Deci, " %"},
};
constexpr BatteryRow kBTInfoSecond[] = {
    {0, "Label_BT_RPRPwr", true, Form::Times10, " W"},
    {1, "Label_BT_Voltage", false, Form::Deci, " V"},
    {2, "Label_BT_Current", true, Form::Centi, " A"},
    {3, "Label_BT_Power", true, Form::TimesPowerMul, " W"},
};
constexpr BatteryRow kBTInfoThird[] = {
    {0, "Label_BT_MCCL", true, Form::Deci, " A"},
    {1, "Label_BT_MDCL", true, Form::Deci, " A"},
};

// These words are signed or unsigned by the table, never by the device's
// signed-value convention.
void ShowBatteryRows(const Modbus* link, std::span<const BatteryRow> rows) {
  for (const BatteryRow& r : rows) {
    const uint16_t w = ReplyWord(link, r.word);
    const int v = r.isSigned ? static_cast<int16_t>(w) : w;
    QString text;
    switch (r.form) {
      case Form::Int: text = Int(v); break;
      case Form::Deci: text = FormatDeci(static_cast<float>(v)); break;
      case Form::Centi: text = FormatCenti(static_cast<float>(v)); break;
      case Form::Times10: text = Int(10LL * v); break;
      case Form::TimesPowerMul: text = Int(static_cast<long long>(v) * Form_Main->PowerMul); break;
    }
    SetText(r.label, text + QString::fromUtf8(r.unit));
  }
}

// One battery read; a rejected reply leaves its rows.
int ReadBatteryRows(Modbus* link, int reg, int count, uint8_t function, std::span<const BatteryRow> rows) {
  if (link->Request(reg, count, function)) return 1;
  if (ReplyUsable(link, function)) ShowBatteryRows(link, rows);
  return 0;
}

struct LoadOutput {
  uint16_t page;
  const char* gate;
  const char* status;
  const char *voltage, *current, *power, *frequency;
};
constexpr LoadOutput kLoad1{32, "Group_LoadPower1", "Load1...", "Label_Vload1", "Label_Iload1", "Label_Pload1",
                            "Label_Fload1"};
constexpr LoadOutput kLoad2{33, "Group_LoadPower2", "Load2...", "Label_Vload2", "Label_Iload2", "Label_Pload2",
                            "Label_Fload2"};

int PollLoadPower(Modbus* link, uint8_t stop, const LoadOutput& out) {
  int result;
  if (!PollPrologue(link, stop, out.gate, QString::fromLatin1(out.status), result)) return result;
  if (link->Request(800, out.page, kWriteRegister)) return 1;
  if (link->Request(1056, 5, kReadInput)) return 1;
  // The window shows whichever page the selector holds: it is this output's
  // only when the echo matches, and only a reply that passed its checks
  // carries a trustworthy echo.
  if (!ReplyUsable(link, kReadInput) || (ReplyWord(link, 0) & 0xFF) != out.page) return 0;
  SetText(out.voltage, FormatDeci(ReplyWord(link, 1)) + QStringLiteral(" V"));
  SetText(out.current, FormatCenti(ReplyWord(link, 2)) + QStringLiteral(" A"));
  SetText(out.power, Int(ReplyWord(link, 3)) + QStringLiteral(" W"));
  SetText(out.frequency, FormatCenti(ReplyWord(link, 4)) + QStringLiteral(" Hz"));
  return 0;
}

QString BatteryModeText(uint16_t code) {
  static const char* const kTexts[] = {"Standby",         "Selfconsumption", "Peak Cut",
                                       "Selling First",   "Charge First",    "Discharge First",
                                       "Without Battery", "Maintenance",     "Standalone"};
  return code < std::size(kTexts) ? QString::fromLatin1(kTexts[code]) : QString();
}

}  // namespace

extern const PanelControls kLoadPower1Panel{"Group_LoadPower1", kLoadPower1Rows};
extern const PanelControls kLoadPower2Panel{"Group_LoadPower2", kLoadPower2Rows};
extern const PanelControls kSubsidyPanel{"Group_Subsidy", kSubsidyRows};
extern const PanelControls kBTCtrlPanel{"Group_BT_CTRL", kBTCtrlRows};
extern const PanelControls kBTInfoPanel{"Group_BT_Info", kBTInfoRows};

int PollLoadPower1(Modbus* link, uint8_t stop) { return PollLoadPower(link, stop, kLoad1); }
int PollLoadPower2(Modbus* link, uint8_t stop) { return PollLoadPower(link, stop, kLoad2); }

// A label that an editor painted red turns blue only from an accepted reply:
// a rejected one is no confirmation of the written value.
int PollSubsidy(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_Subsidy", QStringLiteral("Subsidy..."), result)) return result;
  if (link->Request(25632, 3, kReadHolding)) return 1;
  if (!ReplyUsable(link, kReadHolding)) return 0;
  const uint16_t mode = ReplyWord(link, 0);
  if (mode <= 1) SetText("Label_Subsidy_Mode", mode == 1 ? QStringLiteral("ON") : QStringLiteral("OFF"));
  SetText("Label_PV_Capacity", FormatDeci(ReplyWord(link, 1)) + QStringLiteral(" KWh"));
  SetText("Label_Feedin_Percent", Int(ReplyWord(link, 2)) + QStringLiteral(" %"));
  for (const char* l : {"Label_Subsidy_Mode", "Label_PV_Capacity", "Label_Feedin_Percent"}) SetBlue(l);
  return 0;
}

int PollBTCTRL(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_BT_CTRL", QStringLiteral("BT CTRL..."), result)) return result;

  if (link->Request(25617, 4, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    SetText("Label_SOC_Limit", Int(ReplyWord(link, 0)) + QStringLiteral(" %"));
    SetText("Label_Peak_Cut_Power", Int(ReplyWord(link, 3)) + QStringLiteral(" kW"));
    SetBlue("Label_SOC_Limit");
    SetBlue("Label_Peak_Cut_Power");
  }

  if (link->Request(25627, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    const QString mode = BatteryModeText(ReplyWord(link, 0));
    if (!mode.isEmpty()) SetText("Label_BT_CtrlMode", mode);
    SetBlue("Label_BT_CtrlMode");
  }

  static const char* const kWindows[] = {
      "Label_BT_Charge_T1Start", "Label_BT_Charge_T1Stop", "Label_BT_Charge_T2Start", "Label_BT_Charge_T2Stop",
      "Label_BT_Charge_T3Start", "Label_BT_Charge_T3Stop", "Label_BT_DCHG_T1Start",   "Label_BT_DCHG_T1Stop",
      "Label_BT_DCHG_T2Start",   "Label_BT_DCHG_T2Stop",   "Label_BT_DCHG_T3Start",   "Label_BT_DCHG_T3Stop"};
  if (link->Request(25635, 12, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    for (int k = 0; k < 12; ++k) {
      SetText(kWindows[k], FormatHourMinute(ReplyWord(link, k)));
      SetBlue(kWindows[k]);
    }
  }
  return 0;
}

int PollBTInfo(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_BT_Info", QStringLiteral("BT Info..."), result)) return result;
  if (ReadBatteryRows(link, 1536, 19, kReadInput, kBTInfoFirst)) return 1;
  if (ReadBatteryRows(link, 1564, 4, kReadInput, kBTInfoSecond)) return 1;
  if (ReadBatteryRows(link, 25614, 2, kReadHolding, kBTInfoThird)) return 1;
  return 0;
}
