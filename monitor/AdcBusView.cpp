#include "monitor/AdcBusView.h"

#include <QString>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/CFormat.h"
#include "platform/ValueLabel.h"

namespace {

// Group_ADC: grid outputs, the outputs' own side, the six inputs and the bus.
constexpr ControlDecl kAdcRows[] = {
    // Output1(Grid)
    {Kind::Label, "Label_Output1AdcGridTitle", 8, 32, 160, 18, "Output1(Grid)", 1},
    {Kind::Label, "Label_Output1AdcVoltCap", 8, 50, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Output1AdcVolt", 82, 50, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output1AdcCurrCap", 8, 68, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Output1AdcCurr", 82, 68, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output1AdcPowerCap", 8, 86, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Output1AdcPower", 82, 86, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output1AdcVRedCap", 8, 104, 72, 18, "Volt(Red)", 1},
    {Kind::Label, "Label_Output1AdcVRed", 82, 104, 86, 18, "??", 0, kBlue},
    // Output2(Grid)
    {Kind::Label, "Label_Output2AdcGridTitle", 178, 32, 160, 18, "Output2(Grid)", 1},
    {Kind::Label, "Label_Output2AdcVoltCap", 178, 50, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Output2AdcVolt", 252, 50, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output2AdcCurrCap", 178, 68, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Output2AdcCurr", 252, 68, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output2AdcPowerCap", 178, 86, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Output2AdcPower", 252, 86, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output2AdcVRedCap", 178, 104, 72, 18, "Volt(Red)", 1},
    {Kind::Label, "Label_Output2AdcVRed", 252, 104, 86, 18, "??", 0, kBlue},
    // Output3(Grid)
    {Kind::Label, "Label_Output3AdcGridTitle", 348, 32, 160, 18, "Output3(Grid)", 1},
    {Kind::Label, "Label_Output3AdcVoltCap", 348, 50, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Output3AdcVolt", 422, 50, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output3AdcCurrCap", 348, 68, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Output3AdcCurr", 422, 68, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output3AdcPowerCap", 348, 86, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Output3AdcPower", 422, 86, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output3AdcVRedCap", 348, 104, 72, 18, "Volt(Red)", 1},
    {Kind::Label, "Label_Output3AdcVRed", 422, 104, 86, 18, "??", 0, kBlue},
    // Output1(Out)
    {Kind::Label, "Label_Output1AdcOutTitle", 8, 128, 160, 18, "Output1(Out)", 1},
    {Kind::Label, "Label_Output1AdcVoutCap", 8, 146, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Output1AdcVout", 82, 146, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output1AdcVoutRedCap", 8, 164, 72, 18, "Volt(Red)", 1},
    {Kind::Label, "Label_Output1AdcVoutRed", 82, 164, 86, 18, "??", 0, kBlue},
    // Output2(Out)
    {Kind::Label, "Label_Output2AdcOutTitle", 178, 128, 160, 18, "Output2(Out)", 1},
    {Kind::Label, "Label_Output2AdcVoutCap", 178, 146, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Output2AdcVout", 252, 146, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output2AdcVoutRedCap", 178, 164, 72, 18, "Volt(Red)", 1},
    {Kind::Label, "Label_Output2AdcVoutRed", 252, 164, 86, 18, "??", 0, kBlue},
    // Output3(Out)
    {Kind::Label, "Label_Output3AdcOutTitle", 348, 128, 160, 18, "Output3(Out)", 1},
    {Kind::Label, "Label_Output3AdcVoutCap", 348, 146, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Output3AdcVout", 422, 146, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Output3AdcVoutRedCap", 348, 164, 72, 18, "Volt(Red)", 1},
    {Kind::Label, "Label_Output3AdcVoutRed", 422, 164, 86, 18, "??", 0, kBlue},
    // Input1
    {Kind::Label, "Label_Input1AdcTitle", 8, 192, 160, 18, "Input1", 1},
    {Kind::Label, "Label_Input1AdcVoltCap", 8, 210, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Input1AdcVolt", 82, 210, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input1AdcCurrCap", 8, 228, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Input1AdcCurr", 82, 228, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input1AdcPowerCap", 8, 246, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Input1AdcPower", 82, 246, 86, 18, "??", 0, kBlue},
    // Input2
    {Kind::Label, "Label_Input2AdcTitle", 178, 192, 160, 18, "Input2", 1},
    {Kind::Label, "Label_Input2AdcVoltCap", 178, 210, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Input2AdcVolt", 252, 210, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input2AdcCurrCap", 178, 228, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Input2AdcCurr", 252, 228, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input2AdcPowerCap", 178, 246, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Input2AdcPower", 252, 246, 86, 18, "??", 0, kBlue},
    // Input3
    {Kind::Label, "Label_Input3AdcTitle", 348, 192, 160, 18, "Input3", 1},
    {Kind::Label, "Label_Input3AdcVoltCap", 348, 210, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Input3AdcVolt", 422, 210, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input3AdcCurrCap", 348, 228, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Input3AdcCurr", 422, 228, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input3AdcPowerCap", 348, 246, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Input3AdcPower", 422, 246, 86, 18, "??", 0, kBlue},
    // Input4
    {Kind::Label, "Label_Input4AdcTitle", 8, 274, 160, 18, "Input4", 1},
    {Kind::Label, "Label_Input4AdcVoltCap", 8, 292, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Input4AdcVolt", 82, 292, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input4AdcCurrCap", 8, 310, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Input4AdcCurr", 82, 310, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input4AdcPowerCap", 8, 328, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Input4AdcPower", 82, 328, 86, 18, "??", 0, kBlue},
    // Input5
    {Kind::Label, "Label_Input5AdcTitle", 178, 274, 160, 18, "Input5", 1},
    {Kind::Label, "Label_Input5AdcVoltCap", 178, 292, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Input5AdcVolt", 252, 292, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input5AdcCurrCap", 178, 310, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Input5AdcCurr", 252, 310, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input5AdcPowerCap", 178, 328, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Input5AdcPower", 252, 328, 86, 18, "??", 0, kBlue},
    // Input6
    {Kind::Label, "Label_Input6AdcTitle", 348, 274, 160, 18, "Input6", 1},
    {Kind::Label, "Label_Input6AdcVoltCap", 348, 292, 72, 18, "Voltage:", 1},
    {Kind::Label, "Label_Input6AdcVolt", 422, 292, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input6AdcCurrCap", 348, 310, 72, 18, "Current:", 1},
    {Kind::Label, "Label_Input6AdcCurr", 422, 310, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Input6AdcPowerCap", 348, 328, 72, 18, "Power:", 1},
    {Kind::Label, "Label_Input6AdcPower", 422, 328, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PbusAdcTitle", 8, 356, 72, 18, "Pbus", 1},
    {Kind::Label, "Label_PbusAdcVolt", 82, 356, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_NbusAdcTitle", 178, 356, 72, 18, "Nbus", 1},
    {Kind::Label, "Label_NbusAdcVolt", 252, 356, 86, 18, "??", 0, kBlue},

};

// Group_GetVbus and Group_GetTotalBus.
constexpr ControlDecl kVbusRows[] = {
    {Kind::Label, "Label_PBusCaption", 8, 32, 90, 18, "PBus", 1},
    {Kind::Label, "Label_PBus", 100, 32, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_NBusCaption", 8, 56, 90, 18, "NBus", 1},
    {Kind::Label, "Label_NBus", 100, 56, 140, 18, "??", 0, kBlue},
};
constexpr ControlDecl kTotalBusRows[] = {
    {Kind::Label, "Label_TotalBusCaption", 8, 32, 90, 18, "Total Bus", 1},
    {Kind::Label, "Label_TotalBus", 100, 32, 140, 18, "??", 0, kBlue},
};

// Group_OutputPower; the lifetime-energy editor is hidden in the design.
constexpr ControlDecl kOutputPowerRows[] = {
    {Kind::Label, "Label_TodayWhCaption", 8, 32, 100, 18, "Today Energy", 1},
    {Kind::Label, "Label_TodayWh", 110, 32, 135, 18, "??", 0, kBlue},
    {Kind::Label, "Label_RuntimeCaption", 8, 56, 100, 18, "Today Runtime", 1},
    {Kind::Label, "Label_Runtime", 110, 56, 135, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TotalWhCaption", 8, 80, 100, 18, "Total Energy", 1},
    {Kind::Label, "Label_TotalWh", 110, 80, 135, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_LifeEnergy", 110, 80, 135, 20, "", 0, kHidden},
    {Kind::Label, "Label_TotalRuntimeCaption", 8, 104, 100, 18, "Total Runtime", 1},
    {Kind::Label, "Label_TotalRuntime", 110, 104, 135, 18, "??", 0, kBlue},
};

constexpr uint16_t kMeasurePageSelector = 800;
constexpr uint16_t kAdcWindow = 1068;
constexpr uint16_t kBusWindow = 1056;
constexpr uint16_t kOutputEnergyBlock = 1072;

// One page of the converter counts: the words read and the label of each
// word (nullptr: read, not shown).
struct AdcPage {
  int page;
  int words;
  const char* labels[4];
};
constexpr AdcPage kAdcPages[] = {
    {0, 4, {"Label_Output1AdcVolt", "Label_Output1AdcCurr", "Label_Output1AdcPower", "Label_Output1AdcVRed"}},
    {1, 4, {"Label_Output2AdcVolt", "Label_Output2AdcCurr", "Label_Output2AdcPower", "Label_Output2AdcVRed"}},
    {2, 4, {"Label_Output3AdcVolt", "Label_Output3AdcCurr", "Label_Output3AdcPower", "Label_Output3AdcVRed"}},
    {16, 4, {"Label_Output1AdcVout", nullptr, nullptr, "Label_Output1AdcVoutRed"}},
    {17, 4, {"Label_Output2AdcVout", nullptr, nullptr, "Label_Output2AdcVoutRed"}},
    {18, 4, {"Label_Output3AdcVout", nullptr, nullptr, "Label_Output3AdcVoutRed"}},
    {48, 3, {"Label_Input1AdcVolt", "Label_Input1AdcCurr", "Label_Input1AdcPower"}},
    {49, 3, {"Label_Input2AdcVolt", "Label_Input2AdcCurr", "Label_Input2AdcPower"}},
    {50, 3, {"Label_Input3AdcVolt", "Label_Input3AdcCurr", "Label_Input3AdcPower"}},
    {51, 3, {"Label_Input4AdcVolt", "Label_Input4AdcCurr", "Label_Input4AdcPower"}},
    {52, 3, {"Label_Input5AdcVolt", "Label_Input5AdcCurr", "Label_Input5AdcPower"}},
    {53, 3, {"Label_Input6AdcVolt", "Label_Input6AdcCurr", "Label_Input6AdcPower"}},
    {64, 1, {"Label_PbusAdcVolt"}},
    {65, 1, {"Label_NbusAdcVolt"}},
};

// Writes the page into the selector and reads the window. Returns 1 when the
// link failed, else 0 with usable telling whether the page may be shown: the
// reply answers the read and, when echoed is set, its word 0 names the page
// in its low byte.
int ReadPage(Modbus* link, int page, uint16_t window, int words, bool echoed, bool& usable) {
  if (link->Request(kMeasurePageSelector, static_cast<int16_t>(page), kWriteRegister)) return 1;
  if (link->Request(window, static_cast<int16_t>(words), kReadInput)) return 1;
  usable = ReplyUsable(link, kReadInput) && (!echoed || (ReplyWord(link, 0) & 0xFF) == page);
  return 0;
}

QString BusVoltText(uint16_t word) {
  return FormatScaledFloat(word, Form_Main->VoltageDiv) + QStringLiteral(" V");
}

// Energy counters are 32 bits, low word first, in units of EnergyMul Wh;
// the product is kept in 64 bits so a large counter cannot wrap negative.
QString EnergyText(uint16_t low, uint16_t high) {
  const int64_t wh = (static_cast<int64_t>(high) << 16 | low) * Form_Main->EnergyMul;
  return FormatMilli(static_cast<float>(wh)) + QStringLiteral(" KWh");
}

// Seconds (32 bits, low word first, signed) as hours:minutes:seconds, unpadded.
QString RunTimeText(uint16_t low, uint16_t high) {
  const int32_t s = static_cast<int32_t>(static_cast<uint32_t>(high) << 16 | low);
  return CFormat("%i:%i:%i", s / 3600, s % 3600 / 60, s % 3600 % 60);
}

}  // namespace

extern const PanelControls kAdcPanel{"Group_ADC", kAdcRows};
extern const PanelControls kVbusPanel{"Group_GetVbus", kVbusRows};
extern const PanelControls kTotalBusPanel{"Group_GetTotalBus", kTotalBusRows};
extern const PanelControls kOutputPowerPanel{"Group_OutputPower", kOutputPowerRows};

int PollADC(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_ADC", QStringLiteral("ADC..."), result)) return result;
  for (const AdcPage& p : kAdcPages) {
    bool usable = false;
    if (ReadPage(link, p.page, kAdcWindow, p.words, false, usable)) return 1;
    if (!usable) continue;
    for (int k = 0; k < p.words; ++k)
      if (p.labels[k]) SetText(p.labels[k], QString::number(ReplyWord(link, k)));
  }
  return 0;
}

int PollVbus(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_GetVbus", QStringLiteral("BUS..."), result)) return result;
  const struct {
    int page;
    const char* label;
  } pages[] = {{64, "Label_PBus"}, {65, "Label_NBus"}};
  for (const auto& p : pages) {
    bool usable = false;
    if (ReadPage(link, p.page, kBusWindow, 2, true, usable)) return 1;
    if (usable) SetText(p.label, BusVoltText(ReplyWord(link, 1)));
  }
  return 0;
}

int PollTotalBus(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_GetTotalBus", QStringLiteral("Total BUS..."), result)) return result;
  bool usable = false;
  if (ReadPage(link, 66, kBusWindow, 14, true, usable)) return 1;
  if (usable) {
    SetText("Label_TotalBus", BusVoltText(ReplyWord(link, 1)));
    SetText("Label_PbusAdcVolt", QString::number(ReplyWord(link, 12)));
  }
  return 0;
}

int PollOutputPower(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_OutputPower", QStringLiteral("OutP..."), result)) return result;
  if (link->Request(kOutputEnergyBlock, 8, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  auto w = [link](int k) { return ReplyWord(link, k); };
  SetText("Label_TodayWh", EnergyText(w(0), w(1)));
  SetText("Label_Runtime", RunTimeText(w(2), w(3)));
  // Blue again only from a usable reply: a lifetime energy just written (red)
  // stays red until the inverter's own counter has been read back.
  if (ValueLabel* l = ViewLabel("Label_TotalWh")) l->show(EnergyText(w(4), w(5)), clBlue);
  SetText("Label_TotalRuntime", RunTimeText(w(6), w(7)));
  return 0;
}
