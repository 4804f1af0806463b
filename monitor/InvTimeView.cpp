#include "monitor/InvTimeView.h"

#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_InvTime: clock date and time, installation date; the RTC row is
// not shown in this design.
constexpr ControlDecl kInvTimeRows[] = {
    {Kind::Label, "Label_InvClockCaption", 8, 30, 100, 16, "Clock", 1},
    {Kind::Label, "Label_InvYMD", 24, 50, 100, 18, "??", 0, kBlue},
    {Kind::Label, "Label_InvHMS", 130, 50, 100, 18, "??", 0, kBlue},
    {Kind::Label, "Label_InstallCaption", 8, 90, 100, 16, "Installation", 1},
    {Kind::Label, "Label_InstallYMD", 24, 110, 100, 18, "??", 0, kBlue},
    {Kind::Label, "Label_InvRTCCaption", 8, 150, 100, 16, "RTC", 1, kHidden},
    {Kind::Label, "Label_InvRTC", 24, 170, 200, 18, "??", 0, kBlue | kHidden},
};

// Tens then units, so 7 gives "07" and a larger word all its digits.
QString TwoDigit(uint16_t w) { return QString::number(w / 10) + QString::number(w % 10); }

QString Date(const Modbus* link) {
  return QString::number(ReplyWord(link, 0)) + QLatin1Char('/') + TwoDigit(ReplyWord(link, 1)) + QLatin1Char('/') +
         TwoDigit(ReplyWord(link, 2));
}

}  // namespace

extern const PanelControls kInvTimePanel{"Group_InvTime", kInvTimeRows};

int PollInvTime(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_InvTime", QStringLiteral("Inv Time..."), result)) return result;

  if (link->Request(1033, 6, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    SetText("Label_InvYMD", Date(link));
    SetText("Label_InvHMS", TwoDigit(ReplyWord(link, 3)) + QLatin1Char(':') + TwoDigit(ReplyWord(link, 4)) +
                                QLatin1Char(':') + TwoDigit(ReplyWord(link, 5)));
  }

  if (link->Request(1168, 3, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) SetText("Label_InstallYMD", Date(link));
  return 0;
}
