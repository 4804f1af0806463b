#include "monitor/MonthlyEnergyView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_MonthlyEnergy: months 0-11 left, 12-23 right, newest at the top.
constexpr ControlDecl kMonthlyEnergyRows[] = {
    {Kind::Label, "Label_EnergyMonth0", 8, 28, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth1", 8, 56, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth2", 8, 84, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth3", 8, 112, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth4", 8, 140, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth5", 8, 168, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth6", 8, 196, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth7", 8, 224, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth8", 8, 252, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth9", 8, 280, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth10", 8, 308, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth11", 8, 336, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth12", 262, 28, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth13", 262, 56, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth14", 262, 84, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth15", 262, 112, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth16", 262, 140, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth17", 262, 168, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth18", 262, 196, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth19", 262, 224, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth20", 262, 252, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth21", 262, 280, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth22", 262, 308, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyMonth23", 262, 336, 250, 18, "??", 0, kBlue},
};

constexpr uint8_t kReadInput = 4;

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
