#include "monitor/DailyEnergyView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_DailyEnergy: days 0-15 left, 16-31 right, newest at the top.
constexpr ControlDecl kDailyEnergyRows[] = {
    {Kind::Label, "Label_EnergyDay0", 8, 32, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay1", 8, 54, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay2", 8, 76, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay3", 8, 98, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay4", 8, 120, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay5", 8, 142, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay6", 8, 164, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay7", 8, 186, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay8", 8, 208, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay9", 8, 230, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay10", 8, 252, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay11", 8, 274, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay12", 8, 296, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay13", 8, 318, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay14", 8, 340, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay15", 8, 362, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay16", 262, 32, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay17", 262, 54, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay18", 262, 76, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay19", 262, 98, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay20", 262, 120, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay21", 262, 142, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay22", 262, 164, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay23", 262, 186, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay24", 262, 208, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay25", 262, 230, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay26", 262, 252, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay27", 262, 274, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay28", 262, 296, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay29", 262, 318, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay30", 262, 340, 250, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EnergyDay31", 262, 362, 250, 18, "??", 0, kBlue},
};

constexpr int kDaySeconds = 86400;

// The date of `day` days before the device clock. The clock sync sets the
// device clock to the PC's wall-clock time counted as UTC, so the date is
// read off the count as UTC, like every register time; converting it to local
// time again would shift it by the zone offset. A clock never set, or past
// 2038 where the count reads negative, names no date.
QString DayDate(int clock, int day) {
  const int64_t seconds = int64_t{clock} - int64_t{day} * kDaySeconds;
  if (clock <= 0 || seconds <= 0) return QString();
  const auto s = static_cast<uint32_t>(seconds);
  return FormatRegisterTime((s >> 8) & 0xFF, s & 0xFF, s >> 24, (s >> 16) & 0xFF, 1);
}

// Sixteen days of one energy reply, each stored low word first.
void ShowDays(const Modbus* link, int firstDay, int clock) {
  for (int i = 0; i < 16; ++i) {
    const int day = firstDay + i;
    const uint32_t raw = ReplyWord(link, 2 * i) | static_cast<uint32_t>(ReplyWord(link, 2 * i + 1)) << 16;
    // A product beyond 32 bits wraps, as the device's own counters do.
    const auto wh = static_cast<int32_t>(raw * static_cast<uint32_t>(Form_Main->EnergyMul));
    const QString name = QStringLiteral("Label_EnergyDay") + QString::number(day);
    if (auto* l = Form_Main->Ctl<ValueLabel>(name))
      l->setText(DayDate(clock, day) + QStringLiteral(":  ") +
                 FormatMilli(static_cast<float>(wh)) + QStringLiteral(" KWh"));
  }
}

}  // namespace

extern const PanelControls kDailyEnergyPanel{"Group_DailyEnergy", kDailyEnergyRows};

int PollDailyEnergy(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_DailyEnergy", QStringLiteral("Daily Energy..."), result)) return result;

  // Without a clock reply in this pass, or with a count past 2038 that reads
  // negative, the days carry no date rather than a stale or wrapped one.
  int clock = 0;
  if (link->Request(784, 2, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding))
    clock = static_cast<int32_t>(static_cast<uint32_t>(ReplyWord(link, 0)) << 16 | ReplyWord(link, 1));

  if (link->Request(2048, 32, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) ShowDays(link, 0, clock);

  if (link->Request(2080, 32, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) ShowDays(link, 16, clock);
  return 0;
}
