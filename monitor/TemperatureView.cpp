#include "monitor/TemperatureView.h"

#include <QString>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_Temper1 and Group_Temper2: a row per sensor, "Now" and "Max" columns.
// The row captions may be replaced by the profile's settings.
constexpr ControlDecl kTemper1Rows[] = {
    {Kind::Label, "Label_TemperNow1", 105, 32, 70, 18, "Now", 1},
    {Kind::Label, "Label_TemperMax1", 178, 32, 70, 18, "Max", 1},
    {Kind::Label, "Label_TemperTitle11", 8, 52, 95, 18, "Ambient", 1},
    {Kind::Label, "Label_Temperature11", 105, 52, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp11", 178, 52, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TemperTitle12", 8, 80, 95, 18, "Boost-1", 1},
    {Kind::Label, "Label_Temperature12", 105, 80, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp12", 178, 80, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TemperTitle13", 8, 108, 95, 18, "Boost-2", 1},
    {Kind::Label, "Label_Temperature13", 105, 108, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp13", 178, 108, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TemperTitle14", 8, 136, 95, 18, "Inverter-S", 1},
    {Kind::Label, "Label_Temperature14", 105, 136, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp14", 178, 136, 70, 18, "??", 0, kBlue},
};
constexpr ControlDecl kTemper2Rows[] = {
    {Kind::Label, "Label_TemperNow2", 105, 32, 70, 18, "Now", 1},
    {Kind::Label, "Label_TemperMax2", 178, 32, 70, 18, "Max", 1},
    {Kind::Label, "Label_TemperTitle21", 8, 52, 95, 18, "THS_R", 1},
    {Kind::Label, "Label_Temperature21", 105, 52, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp21", 178, 52, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TemperTitle22", 8, 80, 95, 18, "THS_S", 1},
    {Kind::Label, "Label_Temperature22", 105, 80, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp22", 178, 80, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TemperTitle23", 8, 108, 95, 18, "THS_T", 1},
    {Kind::Label, "Label_Temperature23", 105, 108, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp23", 178, 108, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_TemperTitle24", 8, 136, 95, 18, "T_AMB", 1},
    {Kind::Label, "Label_Temperature24", 105, 136, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxTemp24", 178, 136, 70, 18, "??", 0, kBlue},
};

// Group_MaxInputValue: inputs 1 to 3 on the left, 4 to 6 on the right.
constexpr ControlDecl kMaxInputRows[] = {
    {Kind::Label, "Label_MaxVdc1Caption", 8, 32, 40, 18, "Vdc1:", 1},
    {Kind::Label, "Label_MaxVdc1", 48, 32, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIdc1Caption", 8, 56, 40, 18, "Idc1:", 1},
    {Kind::Label, "Label_MaxIdc1", 48, 56, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPdc1Caption", 8, 80, 40, 18, "Pdc1:", 1},
    {Kind::Label, "Label_MaxPdc1", 48, 80, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVdc2Caption", 8, 104, 40, 18, "Vdc2:", 1},
    {Kind::Label, "Label_MaxVdc2", 48, 104, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIdc2Caption", 8, 128, 40, 18, "Idc2:", 1},
    {Kind::Label, "Label_MaxIdc2", 48, 128, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPdc2Caption", 8, 152, 40, 18, "Pdc2:", 1},
    {Kind::Label, "Label_MaxPdc2", 48, 152, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVdc3Caption", 8, 176, 40, 18, "Vdc3:", 1},
    {Kind::Label, "Label_MaxVdc3", 48, 176, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIdc3Caption", 8, 200, 40, 18, "Idc3:", 1},
    {Kind::Label, "Label_MaxIdc3", 48, 200, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPdc3Caption", 8, 224, 40, 18, "Pdc3:", 1},
    {Kind::Label, "Label_MaxPdc3", 48, 224, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVdc4Caption", 130, 32, 40, 18, "Vdc4:", 1},
    {Kind::Label, "Label_MaxVdc4", 170, 32, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIdc4Caption", 130, 56, 40, 18, "Idc4:", 1},
    {Kind::Label, "Label_MaxIdc4", 170, 56, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPdc4Caption", 130, 80, 40, 18, "Pdc4:", 1},
    {Kind::Label, "Label_MaxPdc4", 170, 80, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVdc5Caption", 130, 104, 40, 18, "Vdc5:", 1},
    {Kind::Label, "Label_MaxVdc5", 170, 104, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIdc5Caption", 130, 128, 40, 18, "Idc5:", 1},
    {Kind::Label, "Label_MaxIdc5", 170, 128, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPdc5Caption", 130, 152, 40, 18, "Pdc5:", 1},
    {Kind::Label, "Label_MaxPdc5", 170, 152, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVdc6Caption", 130, 176, 40, 18, "Vdc6:", 1},
    {Kind::Label, "Label_MaxVdc6", 170, 176, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIdc6Caption", 130, 200, 40, 18, "Idc6:", 1},
    {Kind::Label, "Label_MaxIdc6", 170, 200, 80, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPdc6Caption", 130, 224, 40, 18, "Pdc6:", 1},
    {Kind::Label, "Label_MaxPdc6", 170, 224, 80, 18, "??", 0, kBlue},
};

// Group_MaxOutputValue: outputs 1 to 3, one under the other.
constexpr ControlDecl kMaxOutputRows[] = {
    {Kind::Label, "Label_MaxVac1Caption", 8, 32, 50, 18, "Vac1:", 1},
    {Kind::Label, "Label_MaxVac1", 60, 32, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIac1Caption", 8, 55, 50, 18, "Iac1:", 1},
    {Kind::Label, "Label_MaxIac1", 60, 55, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPac1Caption", 8, 78, 50, 18, "Pac1:", 1},
    {Kind::Label, "Label_MaxPac1", 60, 78, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxFac1Caption", 8, 101, 50, 18, "Fac1:", 1},
    {Kind::Label, "Label_MaxFac1", 60, 101, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVac2Caption", 8, 124, 50, 18, "Vac2:", 1},
    {Kind::Label, "Label_MaxVac2", 60, 124, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIac2Caption", 8, 147, 50, 18, "Iac2:", 1},
    {Kind::Label, "Label_MaxIac2", 60, 147, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPac2Caption", 8, 170, 50, 18, "Pac2:", 1},
    {Kind::Label, "Label_MaxPac2", 60, 170, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxFac2Caption", 8, 193, 50, 18, "Fac2:", 1},
    {Kind::Label, "Label_MaxFac2", 60, 193, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxVac3Caption", 8, 216, 50, 18, "Vac3:", 1},
    {Kind::Label, "Label_MaxVac3", 60, 216, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxIac3Caption", 8, 239, 50, 18, "Iac3:", 1},
    {Kind::Label, "Label_MaxIac3", 60, 239, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxPac3Caption", 8, 262, 50, 18, "Pac3:", 1},
    {Kind::Label, "Label_MaxPac3", 60, 262, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MaxFac3Caption", 8, 285, 50, 18, "Fac3:", 1},
    {Kind::Label, "Label_MaxFac3", 60, 285, 180, 18, "??", 0, kBlue},
};

// One member of the temperature family: its registers and labels.
struct TemperSet {
  const char* panel;
  const char* status;
  uint16_t nowRegister;
  uint16_t maxRegister;
  const char* now[4];
  const char* max[4];
};
constexpr TemperSet kTemper1{"Group_Temper1",
                             "Temper1...",
                             1080,
                             1152,
                             {"Label_Temperature11", "Label_Temperature12", "Label_Temperature13", "Label_Temperature14"},
                             {"Label_MaxTemp11", "Label_MaxTemp12", "Label_MaxTemp13", "Label_MaxTemp14"}};
constexpr TemperSet kTemper2{"Group_Temper2",
                             "Temper2...",
                             1084,
                             1156,
                             {"Label_Temperature21", "Label_Temperature22", "Label_Temperature23", "Label_Temperature24"},
                             {"Label_MaxTemp21", "Label_MaxTemp22", "Label_MaxTemp23", "Label_MaxTemp24"}};

// Four signed whole degrees from one read; 1 when the link failed.
int ReadTemperatures(Modbus* link, uint16_t reg, const char* const (&labels)[4]) {
  if (link->Request(reg, 4, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput))
    for (int k = 0; k < 4; ++k)
      SetText(QLatin1String(labels[k]),
              QString::number(static_cast<int16_t>(ReplyWord(link, k))) + QStringLiteral(" ℃"));
  return 0;
}

int PollTemper(Modbus* link, uint8_t stop, const TemperSet& s) {
  int result;
  if (!PollPrologue(link, stop, s.panel, QLatin1String(s.status), result)) return result;
  if (ReadTemperatures(link, s.nowRegister, s.now)) return 1;
  return ReadTemperatures(link, s.maxRegister, s.max);
}

// A word taken as signed 16-bit when the device reports signed values.
int MaybeSigned(uint16_t word) {
  return Form_Main->SignedValues == 1 ? static_cast<int16_t>(word) : static_cast<int>(word);
}

}  // namespace

extern const PanelControls kTemper1Panel{"Group_Temper1", kTemper1Rows};
extern const PanelControls kTemper2Panel{"Group_Temper2", kTemper2Rows};
extern const PanelControls kMaxInputPanel{"Group_MaxInputValue", kMaxInputRows};
extern const PanelControls kMaxOutputPanel{"Group_MaxOutputValue", kMaxOutputRows};

int PollTemper1(Modbus* link, uint8_t stop) { return PollTemper(link, stop, kTemper1); }
int PollTemper2(Modbus* link, uint8_t stop) { return PollTemper(link, stop, kTemper2); }

int PollMaxInputValue(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_MaxInputValue", QStringLiteral("Max in..."), result)) return result;
  if (link->Request(45075, 18, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  const TForm_Main& f = *Form_Main;
  for (int n = 1; n <= 6; ++n) {
    const int k = 3 * (n - 1);
    const QString i = QString::number(n);
    SetText(QStringLiteral("Label_MaxVdc") + i, FormatScaledFloat(ReplyWord(link, k), f.VoltageDiv) + QStringLiteral(" V"));
    SetText(QStringLiteral("Label_MaxIdc") + i,
            FormatScaledInt(ReplyWord(link, k + 1), f.DcCurrentDiv, f.SignedValues) + QStringLiteral(" A"));
    // The input power is never taken as signed.
    SetText(QStringLiteral("Label_MaxPdc") + i, QString::number(ReplyWord(link, k + 2) * f.PowerMul) + QStringLiteral(" W"));
  }
  return 0;
}

int PollMaxOutputValue(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_MaxOutputValue", QStringLiteral("Max out..."), result)) return result;
  if (link->Request(49215, 12, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  const TForm_Main& f = *Form_Main;
  for (int m = 1; m <= 3; ++m) {
    const int k = 4 * (m - 1);
    const QString i = QString::number(m);
    SetText(QStringLiteral("Label_MaxVac") + i, FormatScaledFloat(ReplyWord(link, k), f.VoltageDiv) + QStringLiteral(" V"));
    SetText(QStringLiteral("Label_MaxIac") + i,
            FormatScaledInt(ReplyWord(link, k + 1), f.AcCurrentDiv, f.SignedValues) + QStringLiteral(" A"));
    SetText(QStringLiteral("Label_MaxPac") + i,
            QString::number(MaybeSigned(ReplyWord(link, k + 2)) * f.PowerMul) + QStringLiteral(" W"));
    SetText(QStringLiteral("Label_MaxFac") + i, FormatCenti(ReplyWord(link, k + 3)) + QStringLiteral(" Hz"));
  }
  return 0;
}
