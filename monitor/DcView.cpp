#include "monitor/DcView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/MeasureTexts.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_GetDC1.
constexpr ControlDecl kDc1Rows[] = {
    {Kind::Label, "Label_Vdc1_Caption", 8, 30, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_Vdc1", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Idc1_Caption", 8, 60, 80, 18, "Current", 1},
    {Kind::Label, "Label_Idc1", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pdc1_Caption", 8, 90, 80, 18, "Power", 1},
    {Kind::Label, "Label_Pdc1", 96, 90, 150, 18, "??", 0, kBlue},
};

// Group_GetDC2.
constexpr ControlDecl kDc2Rows[] = {
    {Kind::Label, "Label_Vdc2_Caption", 8, 30, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_Vdc2", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Idc2_Caption", 8, 60, 80, 18, "Current", 1},
    {Kind::Label, "Label_Idc2", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pdc2_Caption", 8, 90, 80, 18, "Power", 1},
    {Kind::Label, "Label_Pdc2", 96, 90, 150, 18, "??", 0, kBlue},
};

// Group_GetDC3.
constexpr ControlDecl kDc3Rows[] = {
    {Kind::Label, "Label_Vdc3_Caption", 8, 30, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_Vdc3", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Idc3_Caption", 8, 60, 80, 18, "Current", 1},
    {Kind::Label, "Label_Idc3", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pdc3_Caption", 8, 90, 80, 18, "Power", 1},
    {Kind::Label, "Label_Pdc3", 96, 90, 150, 18, "??", 0, kBlue},
};

// Group_GetDC4.
constexpr ControlDecl kDc4Rows[] = {
    {Kind::Label, "Label_Vdc4_Caption", 8, 30, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_Vdc4", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Idc4_Caption", 8, 60, 80, 18, "Current", 1},
    {Kind::Label, "Label_Idc4", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pdc4_Caption", 8, 90, 80, 18, "Power", 1},
    {Kind::Label, "Label_Pdc4", 96, 90, 150, 18, "??", 0, kBlue},
};

// Group_GetDC5.
constexpr ControlDecl kDc5Rows[] = {
    {Kind::Label, "Label_Vdc5_Caption", 8, 30, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_Vdc5", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Idc5_Caption", 8, 60, 80, 18, "Current", 1},
    {Kind::Label, "Label_Idc5", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pdc5_Caption", 8, 90, 80, 18, "Power", 1},
    {Kind::Label, "Label_Pdc5", 96, 90, 150, 18, "??", 0, kBlue},
};

// Group_GetDC6.
constexpr ControlDecl kDc6Rows[] = {
    {Kind::Label, "Label_Vdc6_Caption", 8, 30, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_Vdc6", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Idc6_Caption", 8, 60, 80, 18, "Current", 1},
    {Kind::Label, "Label_Idc6", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Pdc6_Caption", 8, 90, 80, 18, "Power", 1},
    {Kind::Label, "Label_Pdc6", 96, 90, 150, 18, "??", 0, kBlue},
};

// Group_StringCurr: odd strings left, even strings right.
constexpr ControlDecl kStringCurrRows[] = {
    {Kind::Label, "Label_StringCurr1_Caption", 8, 32, 36, 18, "1: "},
    {Kind::Label, "Label_StringCurr1", 48, 32, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr2_Caption", 268, 32, 36, 18, "2: "},
    {Kind::Label, "Label_StringCurr2", 308, 32, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr3_Caption", 8, 54, 36, 18, "3: "},
    {Kind::Label, "Label_StringCurr3", 48, 54, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr4_Caption", 268, 54, 36, 18, "4: "},
    {Kind::Label, "Label_StringCurr4", 308, 54, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr5_Caption", 8, 76, 36, 18, "5: "},
    {Kind::Label, "Label_StringCurr5", 48, 76, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr6_Caption", 268, 76, 36, 18, "6: "},
    {Kind::Label, "Label_StringCurr6", 308, 76, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr7_Caption", 8, 98, 36, 18, "7: "},
    {Kind::Label, "Label_StringCurr7", 48, 98, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr8_Caption", 268, 98, 36, 18, "8: "},
    {Kind::Label, "Label_StringCurr8", 308, 98, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr9_Caption", 8, 120, 36, 18, "9: "},
    {Kind::Label, "Label_StringCurr9", 48, 120, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr10_Caption", 268, 120, 36, 18, "10: "},
    {Kind::Label, "Label_StringCurr10", 308, 120, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr11_Caption", 8, 142, 36, 18, "11: "},
    {Kind::Label, "Label_StringCurr11", 48, 142, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr12_Caption", 268, 142, 36, 18, "12: "},
    {Kind::Label, "Label_StringCurr12", 308, 142, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr13_Caption", 8, 164, 36, 18, "13: "},
    {Kind::Label, "Label_StringCurr13", 48, 164, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr14_Caption", 268, 164, 36, 18, "14: "},
    {Kind::Label, "Label_StringCurr14", 308, 164, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr15_Caption", 8, 186, 36, 18, "15: "},
    {Kind::Label, "Label_StringCurr15", 48, 186, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr16_Caption", 268, 186, 36, 18, "16: "},
    {Kind::Label, "Label_StringCurr16", 308, 186, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr17_Caption", 8, 208, 36, 18, "17: "},
    {Kind::Label, "Label_StringCurr17", 48, 208, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr18_Caption", 268, 208, 36, 18, "18: "},
    {Kind::Label, "Label_StringCurr18", 308, 208, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr19_Caption", 8, 230, 36, 18, "19: "},
    {Kind::Label, "Label_StringCurr19", 48, 230, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr20_Caption", 268, 230, 36, 18, "20: "},
    {Kind::Label, "Label_StringCurr20", 308, 230, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr21_Caption", 8, 252, 36, 18, "21: "},
    {Kind::Label, "Label_StringCurr21", 48, 252, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr22_Caption", 268, 252, 36, 18, "22: "},
    {Kind::Label, "Label_StringCurr22", 308, 252, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr23_Caption", 8, 274, 36, 18, "23: "},
    {Kind::Label, "Label_StringCurr23", 48, 274, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StringCurr24_Caption", 268, 274, 36, 18, "24: "},
    {Kind::Label, "Label_StringCurr24", 308, 274, 180, 18, "??", 0, kBlue},
};

constexpr int kInputs = 6;
constexpr int kStrings = 24;

}  // namespace

extern const PanelControls kDc1Panel{"Group_GetDC1", kDc1Rows};
extern const PanelControls kDc2Panel{"Group_GetDC2", kDc2Rows};
extern const PanelControls kDc3Panel{"Group_GetDC3", kDc3Rows};
extern const PanelControls kDc4Panel{"Group_GetDC4", kDc4Rows};
extern const PanelControls kDc5Panel{"Group_GetDC5", kDc5Rows};
extern const PanelControls kDc6Panel{"Group_GetDC6", kDc6Rows};
extern const PanelControls kStringCurrPanel{"Group_StringCurr", kStringCurrRows};

int PollDC(Modbus* link, uint8_t stop) {
  int result;
  // The first input's panel gates all six inputs and the input totals.
  if (!PollPrologue(link, stop, "Group_GetDC1", QStringLiteral("Dc1..."), result)) return result;
  const TForm_Main& f = *Form_Main;

  if (link->Request(45056, 19, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  SetText(QStringLiteral("Label_TotalInputPower"), PowerText(f, ReplyWord(link, 0), true, "W"));
  int currentSum = 0;
  for (int n = 1; n <= kInputs; ++n) {
    const QString i = QString::number(n);
    const uint16_t current = ReplyWord(link, 3 * n - 1);
    SetText(QStringLiteral("Label_Vdc") + i, VoltageText(f, ReplyWord(link, 3 * n - 2)));
    SetText(QStringLiteral("Label_Idc") + i, CurrentText(f, current, f.DcCurrentDiv));
    SetText(QStringLiteral("Label_Pdc") + i, PowerText(f, ReplyWord(link, 3 * n), true));
    currentSum += current;
  }
  SetText(QStringLiteral("Label_TotalInputCurrent"), CurrentText(f, currentSum, f.DcCurrentDiv, "A"));
  return 0;
}

int PollStringCurr(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_StringCurr", QStringLiteral("CS..."), result)) return result;
  const TForm_Main& f = *Form_Main;

  if (link->Request(53776, kStrings, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  // String currents are never signed.
  for (int k = 0; k < kStrings; ++k)
    SetText(QStringLiteral("Label_StringCurr") + QString::number(k + 1),
            FormatScaledFloat(ReplyWord(link, k), f.DcCurrentDiv) + QStringLiteral(" A"));
  return 0;
}
