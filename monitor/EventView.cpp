#include "monitor/EventView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/SharedTables.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_ErrorEvent: rows 00. to 29., each with its time and its event text.
constexpr ControlDecl kErrorEventRows[] = {
    {Kind::Label, "Label_EventTimeTitle", 40, 32, 150, 18, "Time", 1},
    {Kind::Label, "Label_EventCodeTitle", 195, 32, 315, 18, "Code", 1},
    {Kind::Label, "Label_EventNo0", 8, 52, 30, 18, "00.", 0},
    {Kind::Label, "Label_EventTime0", 40, 52, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event0", 195, 52, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo1", 8, 72, 30, 18, "01.", 0},
    {Kind::Label, "Label_EventTime1", 40, 72, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event1", 195, 72, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo2", 8, 92, 30, 18, "02.", 0},
    {Kind::Label, "Label_EventTime2", 40, 92, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event2", 195, 92, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo3", 8, 112, 30, 18, "03.", 0},
    {Kind::Label, "Label_EventTime3", 40, 112, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event3", 195, 112, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo4", 8, 132, 30, 18, "04.", 0},
    {Kind::Label, "Label_EventTime4", 40, 132, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event4", 195, 132, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo5", 8, 152, 30, 18, "05.", 0},
    {Kind::Label, "Label_EventTime5", 40, 152, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event5", 195, 152, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo6", 8, 172, 30, 18, "06.", 0},
    {Kind::Label, "Label_EventTime6", 40, 172, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event6", 195, 172, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo7", 8, 192, 30, 18, "07.", 0},
    {Kind::Label, "Label_EventTime7", 40, 192, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event7", 195, 192, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo8", 8, 212, 30, 18, "08.", 0},
    {Kind::Label, "Label_EventTime8", 40, 212, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event8", 195, 212, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo9", 8, 232, 30, 18, "09.", 0},
    {Kind::Label, "Label_EventTime9", 40, 232, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event9", 195, 232, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo10", 8, 252, 30, 18, "10.", 0},
    {Kind::Label, "Label_EventTime10", 40, 252, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event10", 195, 252, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo11", 8, 272, 30, 18, "11.", 0},
    {Kind::Label, "Label_EventTime11", 40, 272, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event11", 195, 272, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo12", 8, 292, 30, 18, "12.", 0},
    {Kind::Label, "Label_EventTime12", 40, 292, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event12", 195, 292, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo13", 8, 312, 30, 18, "13.", 0},
    {Kind::Label, "Label_EventTime13", 40, 312, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event13", 195, 312, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo14", 8, 332, 30, 18, "14.", 0},
    {Kind::Label, "Label_EventTime14", 40, 332, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event14", 195, 332, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo15", 8, 352, 30, 18, "15.", 0},
    {Kind::Label, "Label_EventTime15", 40, 352, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event15", 195, 352, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo16", 8, 372, 30, 18, "16.", 0},
    {Kind::Label, "Label_EventTime16", 40, 372, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event16", 195, 372, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo17", 8, 392, 30, 18, "17.", 0},
    {Kind::Label, "Label_EventTime17", 40, 392, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event17", 195, 392, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo18", 8, 412, 30, 18, "18.", 0},
    {Kind::Label, "Label_EventTime18", 40, 412, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event18", 195, 412, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo19", 8, 432, 30, 18, "19.", 0},
    {Kind::Label, "Label_EventTime19", 40, 432, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event19", 195, 432, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo20", 8, 452, 30, 18, "20.", 0},
    {Kind::Label, "Label_EventTime20", 40, 452, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event20", 195, 452, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo21", 8, 472, 30, 18, "21.", 0},
    {Kind::Label, "Label_EventTime21", 40, 472, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event21", 195, 472, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo22", 8, 492, 30, 18, "22.", 0},
    {Kind::Label, "Label_EventTime22", 40, 492, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event22", 195, 492, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo23", 8, 512, 30, 18, "23.", 0},
    {Kind::Label, "Label_EventTime23", 40, 512, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event23", 195, 512, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo24", 8, 532, 30, 18, "24.", 0},
    {Kind::Label, "Label_EventTime24", 40, 532, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event24", 195, 532, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo25", 8, 552, 30, 18, "25.", 0},
    {Kind::Label, "Label_EventTime25", 40, 552, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event25", 195, 552, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo26", 8, 572, 30, 18, "26.", 0},
    {Kind::Label, "Label_EventTime26", 40, 572, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event26", 195, 572, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo27", 8, 592, 30, 18, "27.", 0},
    {Kind::Label, "Label_EventTime27", 40, 592, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event27", 195, 592, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo28", 8, 612, 30, 18, "28.", 0},
    {Kind::Label, "Label_EventTime28", 40, 612, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event28", 195, 612, 315, 18, "??", 0, kBlue},
    {Kind::Label, "Label_EventNo29", 8, 632, 30, 18, "29.", 0},
    {Kind::Label, "Label_EventTime29", 40, 632, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Event29", 195, 632, 315, 18, "??", 0, kBlue},
    {Kind::Button, "Btn_ClearLog", 8, 652, 90, 22, "Clear Log", 1},
};

// Group_ErrorCodes: two columns of fifteen codes.
constexpr ControlDecl kErrorCodesRows[] = {
    {Kind::Label, "Label_Codes_F00Caption", 8, 32, 50, 18, "F-00", 0},
    {Kind::Label, "Label_Codes_F00", 60, 32, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F01Caption", 8, 56, 50, 18, "F-01", 0},
    {Kind::Label, "Label_Codes_F01", 60, 56, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F02Caption", 8, 80, 50, 18, "F-02", 0},
    {Kind::Label, "Label_Codes_F02", 60, 80, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F03Caption", 8, 104, 50, 18, "F-03", 0},
    {Kind::Label, "Label_Codes_F03", 60, 104, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F06Caption", 8, 128, 50, 18, "F-06", 0},
    {Kind::Label, "Label_Codes_F06", 60, 128, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F07Caption", 8, 152, 50, 18, "F-07", 0},
    {Kind::Label, "Label_Codes_F07", 60, 152, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F08Caption", 8, 176, 50, 18, "F-08", 0},
    {Kind::Label, "Label_Codes_F08", 60, 176, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_F09Caption", 8, 200, 50, 18, "F-09", 0},
    {Kind::Label, "Label_Codes_F09", 60, 200, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_P11Caption", 8, 224, 50, 18, "P-11", 0},
    {Kind::Label, "Label_Codes_P11", 60, 224, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E15Caption", 8, 248, 50, 18, "E-15", 0},
    {Kind::Label, "Label_Codes_E15", 60, 248, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d15Caption", 8, 272, 50, 18, "d-15", 0},
    {Kind::Label, "Label_Codes_d15", 60, 272, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E16Caption", 8, 296, 50, 18, "E-16", 0},
    {Kind::Label, "Label_Codes_E16", 60, 296, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d16Caption", 8, 320, 50, 18, "d-16", 0},
    {Kind::Label, "Label_Codes_d16", 60, 320, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E17Caption", 8, 344, 50, 18, "E-17", 0},
    {Kind::Label, "Label_Codes_E17", 60, 344, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d17Caption", 8, 368, 50, 18, "d-17", 0},
    {Kind::Label, "Label_Codes_d17", 60, 368, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E18Caption", 260, 32, 50, 18, "E-18", 0},
    {Kind::Label, "Label_Codes_E18", 312, 32, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d19Caption", 260, 56, 50, 18, "d-19", 0},
    {Kind::Label, "Label_Codes_d19", 312, 56, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d20Caption", 260, 80, 50, 18, "d-20", 0},
    {Kind::Label, "Label_Codes_d20", 312, 80, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E21Caption", 260, 104, 50, 18, "E-21", 0},
    {Kind::Label, "Label_Codes_E21", 312, 104, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d21Caption", 260, 128, 50, 18, "d-21", 0},
    {Kind::Label, "Label_Codes_d21", 312, 128, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E22Caption", 260, 152, 50, 18, "E-22", 0},
    {Kind::Label, "Label_Codes_E22", 312, 152, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d22Caption", 260, 176, 50, 18, "d-22", 0},
    {Kind::Label, "Label_Codes_d22", 312, 176, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E23Caption", 260, 200, 50, 18, "E-23", 0},
    {Kind::Label, "Label_Codes_E23", 312, 200, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d23Caption", 260, 224, 50, 18, "d-23", 0},
    {Kind::Label, "Label_Codes_d23", 312, 224, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E26Caption", 260, 248, 50, 18, "E-26", 0},
    {Kind::Label, "Label_Codes_E26", 312, 248, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d26Caption", 260, 272, 50, 18, "d-26", 0},
    {Kind::Label, "Label_Codes_d26", 312, 272, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E27Caption", 260, 296, 50, 18, "E-27", 0},
    {Kind::Label, "Label_Codes_E27", 312, 296, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d27Caption", 260, 320, 50, 18, "d-27", 0},
    {Kind::Label, "Label_Codes_d27", 312, 320, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_E28Caption", 260, 344, 50, 18, "E-28", 0},
    {Kind::Label, "Label_Codes_E28", 312, 344, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Codes_d40Caption", 260, 368, 50, 18, "d-40", 0},
    {Kind::Label, "Label_Codes_d40", 312, 368, 180, 18, "??", 0, kBlue},
};

// The error-code labels in the order of the words that fill them.
constexpr const char* kCodeLabels[30] = {
    "Label_Codes_F00",
    "Label_Codes_F01",
    "Label_Codes_F02",
    "Label_Codes_F03",
    "Label_Codes_F06",
    "Label_Codes_F07",
    "Label_Codes_F08",
    "Label_Codes_F09",
    "Label_Codes_P11",
    "Label_Codes_E15",
    "Label_Codes_d15",
    "Label_Codes_E16",
    "Label_Codes_d16",
    "Label_Codes_E17",
    "Label_Codes_d17",
    "Label_Codes_E18",
    "Label_Codes_d19",
    "Label_Codes_d20",
    "Label_Codes_E21",
    "Label_Codes_d21",
    "Label_Codes_E22",
    "Label_Codes_d22",
    "Label_Codes_E23",
    "Label_Codes_d23",
    "Label_Codes_E26",
    "Label_Codes_d26",
    "Label_Codes_E27",
    "Label_Codes_d27",
    "Label_Codes_E28",
    "Label_Codes_d40",
};

constexpr uint16_t kEventPageSelector = 801;
constexpr uint16_t kEventCodeWindow = 1088;
constexpr uint16_t kEventTimeWindow = 1184;
constexpr uint16_t kErrorCodeValues = 1152;

QString Numbered(const char* stem, int n) { return QLatin1String(stem) + QString::number(n); }

constexpr const char* kCosPhiTexts[42] = {
    "OFF",      "Ind 0.8",  "Ind 0.81", "Ind 0.82", "Ind 0.83", "Ind 0.84", "Ind 0.85", "Ind 0.86", "Ind 0.87",
    "Ind 0.88", "Ind 0.89", "Ind 0.90", "Ind 0.91", "Ind 0.92", "Ind 0.93", "Ind 0.94", "Ind 0.95", "Ind 0.96",
    "Ind 0.97", "Ind 0.98", "Ind 0.99", "1.00",     "Cap 0.99", "Cap 0.98", "Cap 0.97", "Cap 0.96", "Cap 0.95",
    "Cap 0.94", "Cap 0.93", "Cap 0.92", "Cap 0.91", "Cap 0.90", "Cap 0.89", "Cap 0.88", "Cap 0.87", "Cap 0.86",
    "Cap 0.85", "Cap 0.84", "Cap 0.83", "Cap 0.82", "Cap 0.81", "Cap 0.80",
};

}  // namespace

extern const PanelControls kErrorEventPanel{"Group_ErrorEvent", kErrorEventRows};
extern const PanelControls kErrorCodesPanel{"Group_ErrorCodes", kErrorCodesRows};

int PollErrorEvent(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_ErrorEvent", QStringLiteral("Event..."), result)) return result;
  for (int p = 0; p < 3; ++p) {
    if (link->Request(kEventPageSelector, static_cast<int16_t>(p), kWriteRegister)) return 1;
    if (link->Request(kEventCodeWindow, 11, kReadInput)) return 1;
    // A page that does not name itself is skipped whole, times included.
    if (!ReplyUsable(link, kReadInput) || (ReplyWord(link, 0) & 0xFF) != p) continue;
    for (int k = 1; k <= 10; ++k) {
      uint16_t code = ReplyWord(link, k);
      if (code >> 8) code = 0;  // only codes 0..255 have texts
      SetText(Numbered("Label_Event", 10 * p + k - 1), EventTexts[code]);
    }
    if (link->Request(kEventTimeWindow, 20, kReadInput)) return 1;
    if (!ReplyUsable(link, kReadInput)) continue;
    for (int i = 0; i < 10; ++i) {
      const uint16_t low = ReplyWord(link, 2 * i);
      const uint16_t high = ReplyWord(link, 2 * i + 1);
      SetText(Numbered("Label_EventTime", 10 * p + i),
              FormatRegisterTime(low >> 8, low & 0xFF, high >> 8, high & 0xFF, 0));
    }
  }
  return 0;
}

int PollErrorCodes(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_ErrorCodes", QStringLiteral("Error Codes..."), result)) return result;
  if (link->Request(kErrorCodeValues, 30, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  for (int k = 0; k < 30; ++k) SetText(QLatin1String(kCodeLabels[k]), QString::number(ReplyWord(link, k)));
  return 0;
}

QString CosPhiText(unsigned code) {
  return code < std::size(kCosPhiTexts) ? QLatin1String(kCosPhiTexts[code]) : QStringLiteral("??");
}
