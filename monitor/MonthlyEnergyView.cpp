#include "monitor/MonthlyEnergyView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_MonthlyEnergy: months 0-11 left, 12-23 right, newest at the top.
constexpr ControlDecl kMonthlyEnergyRows[] = {
    {Kind::Label, "Label_EnergyMonth0", 8, 32, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth1", 8, 60, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth2", 8, 88, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth3", 8, 116, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth4", 8, 144, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth5", 8, 172, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth6", 8, 200, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth7", 8, 228, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth8", 8, 256, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth9", 8, 284, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth10", 8, 312, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth11", 8, 340, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth12", 262, 32, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth13", 262, 60, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth14", 262, 88, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth15", 262, 116, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth16", 262, 144, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth17", 262, 172, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth18", 262, 200, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth19", 262, 228, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth20", 262, 256, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth21", 262, 284, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth22", 262, 312, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth23", 262, 340, 250, 18, "??", 0, kBlue},
};

}  // namespace

extern const PanelControls kMonthlyEnergyPanel{"Group_MonthlyEnergy", kMonthlyEnergyRows};

int PollMonthlyEnergy(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_MonthlyEnergy", QStringLiteral("Month Energy..."), result)) return result;

  // Without a year and month in this pass the lines carry no month name
  // rather than one from another pass or another inverter.
  bool named = false;
  int year = 0, month = 0;
  if (link->Request(1033, 2, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    named = true;
    year = ReplyWord(link, 0);
    month = ReplyWord(link, 1);
  }

  if (link->Request(2112, 48, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  for (int k = 0; k < 24; ++k) {
    // Low word first; a product beyond 32 bits wraps.
    const uint32_t raw = ReplyWord(link, 2 * k) | static_cast<uint32_t>(ReplyWord(link, 2 * k + 1)) << 16;
    const auto wh = static_cast<int32_t>(raw * static_cast<uint32_t>(Form_Main->EnergyMul));
    const QString name = QStringLiteral("Label_EnergyMonth") + QString::number(k);
    if (auto* l = Form_Main->Ctl<ValueLabel>(name))
      l->setText((named ? FormatYearMonth(year, month, -k) : QString()) + QStringLiteral(":  ") +
                 FormatMilli(static_cast<float>(wh)) + QStringLiteral(" KWh"));
  }
  return 0;
}
