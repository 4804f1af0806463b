#include "monitor/BatteryWarnView.h"

#include <QString>
#include <QStringList>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_BT_Module1 and Group_BT_Module2: a caption and a value per row.
constexpr ControlDecl kBTModule1Rows[] = {
    {Kind::Label, "Label_BTM1_StatusCaption", 8, 32, 110, 18, "BT Status", 1},
    {Kind::Label, "Label_BTM1_Status", 120, 32, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_AlarmCaption", 8, 60, 110, 18, "BT Alarm", 1},
    {Kind::Label, "Label_BTM1_Alarm", 120, 60, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_ErrorCaption", 8, 88, 110, 18, "BT Error", 1},
    {Kind::Label, "Label_BTM1_Error", 120, 88, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_SOCCaption", 8, 116, 110, 18, "BT SOC", 1},
    {Kind::Label, "Label_BTM1_SOC", 120, 116, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_SOHCaption", 8, 144, 110, 18, "BT SOH", 1},
    {Kind::Label, "Label_BTM1_SOH", 120, 144, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_MaxVoltCaption", 8, 172, 110, 18, "BT MaxVolt", 1},
    {Kind::Label, "Label_BTM1_MaxVolt", 120, 172, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_MinVoltCaption", 8, 200, 110, 18, "BT MinVolt", 1},
    {Kind::Label, "Label_BTM1_MinVolt", 120, 200, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_CurrentCaption", 8, 228, 110, 18, "BT Current", 1},
    {Kind::Label, "Label_BTM1_Current", 120, 228, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_MaxTCaption", 8, 256, 110, 18, "BT MaxT", 1},
    {Kind::Label, "Label_BTM1_MaxT", 120, 256, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_MinTCaption", 8, 284, 110, 18, "BT MinT", 1},
    {Kind::Label, "Label_BTM1_MinT", 120, 284, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_InputCapCaption", 8, 312, 110, 18, "BT InputCap", 1},
    {Kind::Label, "Label_BTM1_InputCap", 120, 312, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM1_OutputCapCaption", 8, 340, 110, 18, "BT OutputCap", 1},
    {Kind::Label, "Label_BTM1_OutputCap", 120, 340, 125, 18, "??", 0, kBlue},
};
constexpr ControlDecl kBTModule2Rows[] = {
    {Kind::Label, "Label_BTM2_StatusCaption", 8, 32, 110, 18, "BT Status", 1},
    {Kind::Label, "Label_BTM2_Status", 120, 32, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_AlarmCaption", 8, 60, 110, 18, "BT Alarm", 1},
    {Kind::Label, "Label_BTM2_Alarm", 120, 60, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_ErrorCaption", 8, 88, 110, 18, "BT Error", 1},
    {Kind::Label, "Label_BTM2_Error", 120, 88, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_SOCCaption", 8, 116, 110, 18, "BT SOC", 1},
    {Kind::Label, "Label_BTM2_SOC", 120, 116, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_SOHCaption", 8, 144, 110, 18, "BT SOH", 1},
    {Kind::Label, "Label_BTM2_SOH", 120, 144, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_MaxVoltCaption", 8, 172, 110, 18, "BT MaxVolt", 1},
    {Kind::Label, "Label_BTM2_MaxVolt", 120, 172, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_MinVoltCaption", 8, 200, 110, 18, "BT MinVolt", 1},
    {Kind::Label, "Label_BTM2_MinVolt", 120, 200, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_CurrentCaption", 8, 228, 110, 18, "BT Current", 1},
    {Kind::Label, "Label_BTM2_Current", 120, 228, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_MaxTCaption", 8, 256, 110, 18, "BT MaxT", 1},
    {Kind::Label, "Label_BTM2_MaxT", 120, 256, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_MinTCaption", 8, 284, 110, 18, "BT MinT", 1},
    {Kind::Label, "Label_BTM2_MinT", 120, 284, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_InputCapCaption", 8, 312, 110, 18, "BT InputCap", 1},
    {Kind::Label, "Label_BTM2_InputCap", 120, 312, 125, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BTM2_OutputCapCaption", 8, 340, 110, 18, "BT OutputCap", 1},
    {Kind::Label, "Label_BTM2_OutputCap", 120, 340, 125, 18, "??", 0, kBlue},
};

// Group_WarnEvent: the warning texts, top to bottom.
constexpr ControlDecl kWarnEventRows[] = {
    {Kind::Label, "Label_WarnEvent01", 8, 32, 235, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WarnEvent02", 8, 60, 235, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WarnEvent03", 8, 88, 235, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WarnEvent04", 8, 116, 235, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WarnEvent05", 8, 144, 235, 18, "??", 0, kBlue},
};

// Group_TestValue: rows T00 to T11, two columns of values.
constexpr ControlDecl kTestValueRows[] = {
    {Kind::Label, "Label_TestValCaption0", 8, 32, 50, 18, "T00:", 1},
    {Kind::Label, "Label_TestVal0", 60, 32, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN0", 220, 32, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption1", 8, 58, 50, 18, "T01:", 1},
    {Kind::Label, "Label_TestVal1", 60, 58, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN1", 220, 58, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption2", 8, 84, 50, 18, "T02:", 1},
    {Kind::Label, "Label_TestVal2", 60, 84, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN2", 220, 84, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption3", 8, 110, 50, 18, "T03:", 1},
    {Kind::Label, "Label_TestVal3", 60, 110, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN3", 220, 110, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption4", 8, 136, 50, 18, "T04:", 1},
    {Kind::Label, "Label_TestVal4", 60, 136, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN4", 220, 136, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption5", 8, 162, 50, 18, "T05:", 1},
    {Kind::Label, "Label_TestVal5", 60, 162, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN5", 220, 162, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption6", 8, 188, 50, 18, "T06:", 1},
    {Kind::Label, "Label_TestVal6", 60, 188, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN6", 220, 188, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption7", 8, 214, 50, 18, "T07:", 1},
    {Kind::Label, "Label_TestVal7", 60, 214, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN7", 220, 214, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption8", 8, 240, 50, 18, "T08:", 1},
    {Kind::Label, "Label_TestVal8", 60, 240, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN8", 220, 240, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption9", 8, 266, 50, 18, "T09:", 1},
    {Kind::Label, "Label_TestVal9", 60, 266, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN9", 220, 266, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption10", 8, 292, 50, 18, "T10:", 1},
    {Kind::Label, "Label_TestVal10", 60, 292, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN10", 220, 292, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValCaption11", 8, 318, 50, 18, "T11:", 1},
    {Kind::Label, "Label_TestVal11", 60, 318, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TestValN11", 220, 318, 150, 18, "??", 0, kBlue},
};

int PollBTModule(Modbus* link, uint8_t stop, const char* panel, const char* status, uint16_t reg, const QString& prefix) {
  int result;
  if (!PollPrologue(link, stop, panel, QLatin1String(status), result)) return result;
  if (link->Request(reg, 14, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  auto w = [link](int k) { return ReplyWord(link, k); };
  auto set = [&prefix](const char* suffix, const QString& text) { SetText(prefix + QLatin1String(suffix), text); };
  set("Status", QString::number(w(0)));
  set("Alarm", QString::number(w(1)));
  set("Error", QString::number(w(2)));
  set("SOC", FormatDeci(w(3)) + QStringLiteral(" %"));
  set("SOH", FormatDeci(w(4)) + QStringLiteral(" %"));
  set("MaxVolt", QString::number(w(5)) + QStringLiteral(" mV"));
  set("MinVolt", QString::number(w(6)) + QStringLiteral(" mV"));
  set("Current", FormatCenti(static_cast<int16_t>(w(7))) + QStringLiteral(" A"));
  set("MaxT", FormatDeci(w(8)) + QStringLiteral(" °C"));
  set("MinT", FormatDeci(w(9)) + QStringLiteral(" °C"));
  // Words 10 and 11 are not shown.
  set("InputCap", QString::number(w(12)) + QStringLiteral("kWh"));
  set("OutputCap", QString::number(w(13)) + QStringLiteral("kWh"));
  return 0;
}

// The warning bits in the order their texts are listed (bit 15 of word 0
// comes before bit 11).
constexpr struct {
  int word;
  uint16_t mask;
  const char* text;
} kWarnings[] = {
    {0, 0x0002, "Solar1 Low"},    {0, 0x0004, "Solar2 Low"},    {0, 0x0080, "De-rating"},
    {0, 0x8000, "SPD Fail"},      {0, 0x0800, "HW FAN"},        {1, 0x0002, "DC Surge Fail"},
    {1, 0x0004, "AC Surge Fail"},
};
constexpr const char* kWarnLabels[] = {"Label_WarnEvent01", "Label_WarnEvent02", "Label_WarnEvent03",
                                       "Label_WarnEvent04", "Label_WarnEvent05"};

// Twelve signed words of one read into label<k>; 1 when the link failed.
int ReadTestValues(Modbus* link, uint16_t reg, const QString& label) {
  if (link->Request(reg, 12, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput))
    for (int k = 0; k < 12; ++k) SetText(label + QString::number(k), QString::number(static_cast<int16_t>(ReplyWord(link, k))));
  return 0;
}

}  // namespace

extern const PanelControls kBTModule1Panel{"Group_BT_Module1", kBTModule1Rows};
extern const PanelControls kBTModule2Panel{"Group_BT_Module2", kBTModule2Rows};
extern const PanelControls kWarnEventPanel{"Group_WarnEvent", kWarnEventRows};
extern const PanelControls kTestValuePanel{"Group_TestValue", kTestValueRows};

int PollBTModule1(Modbus* link, uint8_t stop) {
  return PollBTModule(link, stop, "Group_BT_Module1", "BTM1...", 1600, QStringLiteral("Label_BTM1_"));
}

int PollBTModule2(Modbus* link, uint8_t stop) {
  return PollBTModule(link, stop, "Group_BT_Module2", "BTM2...", 1616, QStringLiteral("Label_BTM2_"));
}

int PollWarnEvent(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_WarnEvent", QStringLiteral("Warn..."), result)) return result;
  if (link->Request(53282, 2, kReadInput)) return 1;
  // Without an answer the warnings are unknown, not absent: the texts stay
  // as they were rather than blanking into an all-clear.
  if (!ReplyUsable(link, kReadInput)) return 0;
  QStringList texts;
  for (const auto& b : kWarnings)
    if (ReplyWord(link, b.word) & b.mask) texts << QLatin1String(b.text);
  for (int i = 0; i < 5; ++i) SetText(QLatin1String(kWarnLabels[i]), i < texts.size() ? texts[i] : QString());
  return 0;
}

int PollTestValue(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_TestValue", QStringLiteral("Test Value..."), result)) return result;
  if (ReadTestValues(link, 21504, QStringLiteral("Label_TestVal"))) return 1;
  return ReadTestValues(link, 24128, QStringLiteral("Label_TestValN"));
}
