#include "monitor/OemMonitorView.h"

#include <algorithm>
#include <cmath>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/CFormat.h"
#include "platform/ValueLabel.h"

namespace {

// Group_BrennikMM: each caption with its value beside it.
constexpr ControlDecl kBrennikMMRows[] = {
    {Kind::Label, "Label_BRK_OutputTimeCap", 8, 32, 110, 18, "実績発電時間"},
    {Kind::Label, "Label_BRK_OutputTime", 124, 32, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_StartTimeCap", 8, 60, 110, 18, "開始日"},
    {Kind::Label, "Label_BRK_StartTime", 124, 60, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VdcMaxCap", 8, 88, 110, 18, "DC電圧最大値"},
    {Kind::Label, "Label_BRK_VdcMax", 124, 88, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VacMaxCap", 8, 116, 110, 18, "AC電圧最大値"},
    {Kind::Label, "Label_BRK_VacMax", 124, 116, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_TempMaxCap", 8, 144, 110, 18, "温度最高値"},
    {Kind::Label, "Label_BRK_TempMax", 124, 144, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_DspMCUCap", 8, 172, 110, 18, "DSP   MCU"},
    {Kind::Label, "Label_BRK_DspMCU", 124, 172, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_RedMCUCap", 8, 200, 110, 18, "余剰 MCU"},
    {Kind::Label, "Label_BRK_RedMCU", 124, 200, 124, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_CommMCUCap", 8, 228, 110, 18, "通信 MCU"},
    {Kind::Label, "Label_BRK_CommMCU", 124, 228, 124, 18, "??", 0, kBlue},
};

// Group_BRK_SetPoint: each set point's caption (some on two lines) with its
// value beside it.
constexpr ControlDecl kSetPointRows[] = {
    {Kind::Label, "Label_BRK_SysOVRCap", 8, 32, 300, 18, "系統過電圧 OVR"},
    {Kind::Label, "Label_BRK_SysOVR", 320, 32, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_SysUVRCap", 8, 64, 300, 18, "系統不足電圧 UVR"},
    {Kind::Label, "Label_BRK_SysUVR", 320, 64, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OVRUVRTimeCap", 8, 96, 300, 18, "OVR•UVR 整定時間"},
    {Kind::Label, "Label_BRK_OVRUVRTime", 320, 96, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_SysOFRCap", 8, 128, 300, 18, "系統過週波數 OFR"},
    {Kind::Label, "Label_BRK_SysOFR", 320, 128, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_SysUFRCap", 8, 160, 300, 18, "系統不足週波數 UFR"},
    {Kind::Label, "Label_BRK_SysUFR", 320, 160, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OFRUFRTimeCap", 8, 192, 300, 18, "OFR•UFR 整定時間"},
    {Kind::Label, "Label_BRK_OFRUFRTime", 320, 192, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_RecoveryTimeCap", 8, 224, 300, 18, "連系保護-復帰時間"},
    {Kind::Label, "Label_BRK_RecoveryTime", 320, 224, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_SysVoltDerate2Cap", 8, 256, 300, 18, "系統電圧上昇抑制②"},
    {Kind::Label, "Label_BRK_SysVoltDerate2Cap2", 8, 274, 300, 18, "（有効電力制御）"},
    {Kind::Label, "Label_BRK_SysVoltDerate2", 320, 264, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_SingleOPCap", 8, 302, 300, 18, "単独運転検出"},
    {Kind::Label, "Label_BRK_SingleOPCap2", 8, 320, 300, 18, "(受動方式)"},
    {Kind::Label, "Label_BRK_SingleOP", 320, 310, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OutputDerateCap", 8, 348, 300, 18, "出力抑制"},
    {Kind::Label, "Label_BRK_OutputDerate", 320, 348, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_PowDerateCap", 8, 380, 300, 18, "力率一定抑制"},
    {Kind::Label, "Label_BRK_PowDerate", 320, 380, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_SysVoltDerate1Cap", 8, 412, 300, 18, "系統電圧上升抑制①"},
    {Kind::Label, "Label_BRK_SysVoltDerate1Cap2", 8, 430, 300, 18, "(進相無効電力制御、有効電力制御)"},
    {Kind::Label, "Label_BRK_SysVoltDerate1", 320, 420, 180, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_PhaseNoEffectCap", 8, 458, 300, 18, "進相無効電力制御の"},
    {Kind::Label, "Label_BRK_PhaseNoEffectCap2", 8, 476, 300, 18, "運転力率整定値"},
    {Kind::Label, "Label_BRK_PhaseNoEffect", 320, 466, 180, 18, "??", 0, kBlue},
};

// Group_BRK_Energy: the four DC inputs side by side, the output, and the two
// energy boxes that the design keeps hidden. A row caption holds the name,
// the column separators and the unit; the values sit in its blanks (eleven
// blanks per column), clear of the Japanese name's full-width glyphs.
constexpr ControlDecl kEnergyRows[] = {
    {Kind::Label, "Label_BRK_InputBox", 8, 32, 100, 16, "入力"},
    {Kind::Label, "Label_BRK_VdcRow", 8, 50, 244, 18, "DC電圧           /           /           /           V"},
    {Kind::Label, "Label_BRK_Vdc1", 51, 50, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Vdc2", 97, 50, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Vdc3", 143, 50, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Vdc4", 189, 50, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_IdcRow", 8, 70, 244, 18, "DC電流           /           /           /           A"},
    {Kind::Label, "Label_BRK_Idc1", 51, 70, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Idc2", 97, 70, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Idc3", 143, 70, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Idc4", 189, 70, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_PdcRow", 8, 90, 244, 18, "DC電力           /           /           /           W"},
    {Kind::Label, "Label_BRK_Pdc1", 51, 90, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Pdc2", 97, 90, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Pdc3", 143, 90, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_Pdc4", 189, 90, 40, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OutputBox", 8, 114, 100, 16, "出力"},
    {Kind::Label, "Label_BRK_VacRow", 8, 132, 244, 18, "AC電圧                          V"},
    {Kind::Label, "Label_BRK_Vac", 61, 132, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_IacRow", 8, 152, 244, 18, "AC電流                          A"},
    {Kind::Label, "Label_BRK_Iac", 61, 152, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_PacRow", 8, 172, 244, 18, "AC電力                          W"},
    {Kind::Label, "Label_BRK_Pac", 61, 172, 86, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_FacRow", 8, 192, 244, 18, "AC周波數                        Hz"},
    {Kind::Label, "Label_BRK_Fac", 61, 192, 86, 18, "??", 0, kBlue},
    {Kind::Frame, "Panel_BRK_Today", 8, 214, 244, 40, "", 0, kHidden},
    {Kind::Frame, "Panel_BRK_Accumulated", 8, 254, 244, 40, "", 0, kHidden},
};
constexpr ControlDecl kTodayRows[] = {
    {Kind::Label, "Label_BRK_TodayBox", 0, 0, 48, 18, "本日"},
    {Kind::Label, "Label_BRK_EnergyTodayRow", 52, 0, 192, 18, "本日の發電量                       kWh"},
    {Kind::Label, "Label_BRK_EnergyToday", 148, 0, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_TimeTodayRow", 52, 20, 192, 18, "本日の發電時間"},
    {Kind::Label, "Label_BRK_TimeToday", 148, 20, 96, 18, "??", 0, kBlue},
};
constexpr ControlDecl kAccumulatedRows[] = {
    {Kind::Label, "Label_BRK_AccBox", 0, 0, 48, 18, "累積電力"},
    {Kind::Label, "Label_BRK_EnergyAccRow", 52, 0, 192, 18, "積算發電量                          kWh"},
    {Kind::Label, "Label_BRK_EnergyAcc", 148, 0, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_TimeAccRow", 52, 20, 192, 18, "發電時間"},
    {Kind::Label, "Label_BRK_TimeAcc", 148, 20, 96, 18, "??", 0, kBlue},
};

// Two words, low word first, as one signed 32-bit value.
int32_t LowFirst32(const Modbus* link, int k) {
  return static_cast<int32_t>(static_cast<uint32_t>(ReplyWord(link, k + 1)) << 16 | ReplyWord(link, k));
}

// The largest of count words read as signed 16-bit values.
int16_t SignedMax(const Modbus* link, int count) {
  int16_t best = static_cast<int16_t>(ReplyWord(link, 0));
  for (int k = 1; k < count; ++k) best = std::max(best, static_cast<int16_t>(ReplyWord(link, k)));
  return best;
}

// The platform's general float text: up to 15 significant digits, no
// trailing zeros (61.0 gives "61").
QString GeneralFloat(double v) { return CFormat("%.15g", v); }

// "<h>時間<m>分" of a count of seconds, dividing as signed integers.
QString HoursMinutesJp(int32_t seconds) {
  return CFormat("%i", seconds / 3600) + QStringLiteral("時間") + CFormat("%i", seconds % 3600 / 60) +
         QStringLiteral("分");
}

void WriteSetPoints(const Modbus* link, int frequency) {
  auto w = [link](int k) { return static_cast<int>(ReplyWord(link, k)); };
  const bool grid60 = frequency > 5500 && frequency < 6500;
  const bool grid50 = frequency > 4500 && frequency < 5500;
  const QString seconds = QStringLiteral(" 秒");
  SetText("Label_BRK_SysOVR", CFormat("%i", w(0) + 110) + QStringLiteral(" V"));
  SetText("Label_BRK_SysUVR", CFormat("%i", w(1) + 80) + QStringLiteral(" V"));
  SetText("Label_BRK_OVRUVRTime", FormatDecimals(static_cast<float>(w(2) * 0.5 + 0.5), 1) + seconds);
  if (grid60) SetText("Label_BRK_SysOFR", GeneralFloat(w(3) * 0.1 + 60.6) + QStringLiteral(" Hz"));
  if (grid50) SetText("Label_BRK_SysOFR", GeneralFloat(w(10) * 0.1 + 50.5) + QStringLiteral(" Hz"));
  if (grid60) SetText("Label_BRK_SysUFR", GeneralFloat(w(4) * 0.1 + 58.2) + QStringLiteral(" Hz"));
  if (grid50) SetText("Label_BRK_SysUFR", GeneralFloat(w(11) * 0.1 + 48.5) + QStringLiteral(" Hz"));
  SetText("Label_BRK_OFRUFRTime", FormatDecimals(static_cast<float>(w(5) * 0.5 + 0.5), 1) + seconds);

  static const char* const kRecovery[] = {"10 秒", "60 秒", "150 秒", "300 秒", "0xAA55(Set)"};
  SetText("Label_BRK_RecoveryTime", w(6) < 5 ? QString::fromUtf8(kRecovery[w(6)]) : QStringLiteral("??"));

  SetText("Label_BRK_SysVoltDerate2", w(7) == 0 ? QStringLiteral("OFF") : GeneralFloat(w(7) * 0.5 + 106.5));
  if (w(8) == 0) SetText("Label_BRK_SingleOP", QStringLiteral("OFF"));
  if (w(8) == 1) SetText("Label_BRK_SingleOP", QStringLiteral("ON"));
  if (w(9) == 0) SetText("Label_BRK_OutputDerate", QStringLiteral("0 %"));
  if (w(9) == 1) SetText("Label_BRK_OutputDerate", QStringLiteral("50 %"));

  const int pf = w(14);
  if (pf == 0)
    SetText("Label_BRK_PowDerate", QStringLiteral("OFF"));
  else if (pf <= 21)
    SetText("Label_BRK_PowDerate", FormatDecimals(static_cast<float>((pf - 1) * 0.01 + 0.8), 2));
  else if (pf <= 41)
    SetText("Label_BRK_PowDerate", FormatDecimals(static_cast<float>(-(1.2 - (pf - 1) * 0.01)), 2));

  SetText("Label_BRK_SysVoltDerate1", w(15) == 0 ? QStringLiteral("OFF") : CFormat("%i", w(15)));
  SetText("Label_BRK_PhaseNoEffect", FormatDecimals(static_cast<float>(w(16) * 0.01 + 0.85), 2));
}

}  // namespace

extern const PanelControls kBrennikMMPanel{"Group_BrennikMM", kBrennikMMRows};
extern const PanelControls kBRKSetPointPanel{"Group_BRK_SetPoint", kSetPointRows};
extern const PanelControls kBRKEnergyPanel{"Group_BRK_Energy", kEnergyRows};
extern const PanelControls kBRKTodayPanel{"Panel_BRK_Today", kTodayRows};
extern const PanelControls kBRKAccumulatedPanel{"Panel_BRK_Accumulated", kAccumulatedRows};

QString OemVersionText(uint16_t word) {
  const int high = word >> 8;
  const int low = word & 0xFF;
  return CFormat("V%i%i.%i%i", high / 10, high % 10, low / 10, low % 10);
}

int PollBrennikMM(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_BrennikMM", QStringLiteral("Monitor..."), result)) return result;

  if (link->Request(53254, 2, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    const int32_t minutes = LowFirst32(link, 0) / 60;
    SetText("Label_BRK_OutputTime", CFormat("%i Hour %i Min.", minutes / 60, minutes % 60));
  }

  if (link->Request(55808, 2, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    const uint16_t high = ReplyWord(link, 0);  // this block puts the high word first
    const uint16_t low = ReplyWord(link, 1);
    SetText("Label_BRK_StartTime", FormatRegisterTime(low >> 8, low & 0xFF, high >> 8, high & 0xFF, 1));
  }

  if (link->Request(1114, 5, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    SetText("Label_BRK_VdcMax", FormatDeci(SignedMax(link, 4)));
    SetText("Label_BRK_VacMax", FormatDeci(ReplyWord(link, 4)));
  }

  if (link->Request(1152, 4, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) SetText("Label_BRK_TempMax", CFormat("%hd", SignedMax(link, 4)));

  if (link->Request(1040, 6, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    SetText("Label_BRK_DspMCU", OemVersionText(ReplyWord(link, 0)));
    SetText("Label_BRK_RedMCU", OemVersionText(ReplyWord(link, 2)));
    SetText("Label_BRK_CommMCU", OemVersionText(ReplyWord(link, 4)));
  }
  return 0;
}

int PollBRKSetPoint(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_BRK_SetPoint", QStringLiteral("SetPoint..."), result)) return result;

  // Without the grid frequency neither frequency relay can be told.
  if (link->Request(3332, 1, kReadInput)) return 1;
  const int frequency = ReplyUsable(link, kReadInput) ? ReplyWord(link, 0) : 0;

  if (link->Request(25344, 17, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) WriteSetPoints(link, frequency);
  return 0;
}

int PollBRKEnergy(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_BRK_Energy", QStringLiteral("Energy..."), result)) return result;

  if (link->Request(3360, 12, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    for (int n = 1; n <= 4; ++n) {
      const QString i = QString::number(n);
      SetText(QStringLiteral("Label_BRK_Vdc") + i, FormatDeci(ReplyWord(link, 3 * n - 3)));
      SetText(QStringLiteral("Label_BRK_Idc") + i, FormatDeci(ReplyWord(link, 3 * n - 2) / 10));  // 0.01 A, cut to 0.1 A
      SetText(QStringLiteral("Label_BRK_Pdc") + i, CFormat("%i", ReplyWord(link, 3 * n - 1)));
    }
  }

  if (link->Request(3328, 5, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    SetText("Label_BRK_Vac", FormatDeci(ReplyWord(link, 0)));
    SetText("Label_BRK_Iac", FormatDeci(ReplyWord(link, 2) / 10));
    SetText("Label_BRK_Pac", CFormat("%i", ReplyWord(link, 3)));
    SetText("Label_BRK_Fac", FormatDeci(ReplyWord(link, 4) / 10));
  }

  if (link->Request(1072, 4, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    const auto energy = static_cast<uint32_t>(LowFirst32(link, 0));  // 0.01 kWh
    SetText("Label_BRK_EnergyToday", FormatDecimals(static_cast<float>(energy * 0.01 + 0.05), 1));
    SetText("Label_BRK_TimeToday", HoursMinutesJp(LowFirst32(link, 2)));
  }

  if (link->Request(1076, 4, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    const auto energy = static_cast<uint32_t>(LowFirst32(link, 0));
    const double whole = std::trunc(energy * 0.01 + 0.05);
    SetText("Label_BRK_EnergyAcc", FormatDecimals(static_cast<float>(whole), 1));
    SetText("Label_BRK_TimeAcc", HoursMinutesJp(LowFirst32(link, 2)));
  }
  return 0;
}
