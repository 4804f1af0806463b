#include "monitor/AcView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/MeasureTexts.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_GetAC1, phase R. The second readings, output voltages and their
// separators are shown only in the per-phase page layout.
constexpr ControlDecl kAc1Rows[] = {
    {Kind::Label, "Label19", 8, 32, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_VacR_Grid", 90, 32, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label45", 160, 32, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_VacR_Out", 174, 32, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label_VacR_GridRed", 90, 52, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label46", 160, 52, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_VacR_OutRed", 174, 52, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label_IacR_Caption", 8, 76, 80, 18, "Current", 1},
    {Kind::Label, "Label_IacR", 90, 76, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PacR_Caption", 8, 100, 80, 18, "Power", 1},
    {Kind::Label, "Label_PacR", 90, 100, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_FacR_Caption", 8, 124, 80, 18, "Freq.", 1},
    {Kind::Label, "Label_FacR", 90, 124, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label227", 160, 124, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_FacR_Red", 174, 124, 70, 18, "??", 0, kBlue | kHidden},
};

// Group_GetAC2, phase S. The second readings, output voltages and their
// separators are shown only in the per-phase page layout.
constexpr ControlDecl kAc2Rows[] = {
    {Kind::Label, "Label153", 8, 32, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_VacS_Grid", 90, 32, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label157", 160, 32, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_VacS_Out", 174, 32, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label_VacS_GridRed", 90, 52, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label158", 160, 52, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_VacS_OutRed", 174, 52, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label_IacS_Caption", 8, 76, 80, 18, "Current", 1},
    {Kind::Label, "Label_IacS", 90, 76, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PacS_Caption", 8, 100, 80, 18, "Power", 1},
    {Kind::Label, "Label_PacS", 90, 100, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_FacS_Caption", 8, 124, 80, 18, "Freq.", 1},
    {Kind::Label, "Label_FacS", 90, 124, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label241", 160, 124, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_FacS_Red", 174, 124, 70, 18, "??", 0, kBlue | kHidden},
};

// Group_GetAC3, phase T. The second readings, output voltages and their
// separators are shown only in the per-phase page layout.
constexpr ControlDecl kAc3Rows[] = {
    {Kind::Label, "Label54", 8, 32, 80, 18, "Voltage", 1},
    {Kind::Label, "Label_VacT_Grid", 90, 32, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label64", 160, 32, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_VacT_Out", 174, 32, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label_VacT_GridRed", 90, 52, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label65", 160, 52, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_VacT_OutRed", 174, 52, 70, 18, "??", 0, kBlue | kHidden},
    {Kind::Label, "Label_IacT_Caption", 8, 76, 80, 18, "Current", 1},
    {Kind::Label, "Label_IacT", 90, 76, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_PacT_Caption", 8, 100, 80, 18, "Power", 1},
    {Kind::Label, "Label_PacT", 90, 100, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_FacT_Caption", 8, 124, 80, 18, "Freq.", 1},
    {Kind::Label, "Label_FacT", 90, 124, 70, 18, "??", 0, kBlue},
    {Kind::Label, "Label244", 160, 124, 14, 18, " / ", 0, kHidden},
    {Kind::Label, "Label_FacT_Red", 174, 124, 70, 18, "??", 0, kBlue | kHidden},
};

// Group_StandAlone3P: the off-grid three-phase output.
constexpr ControlDecl kStandAloneRows[] = {
    {Kind::Label, "Label_UW_voltageCaption", 8, 32, 120, 18, "U-W voltage", 1},
    {Kind::Label, "Label_UW_voltage", 136, 32, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_UW_PowerCaption", 8, 62, 120, 18, "U-W Power", 1},
    {Kind::Label, "Label_UW_Power", 136, 62, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_UO_voltageCaption", 8, 92, 120, 18, "U-O voltage", 1},
    {Kind::Label, "Label_UO_voltage", 136, 92, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_UO_currentCaption", 8, 122, 120, 18, "U-O current", 1},
    {Kind::Label, "Label_UO_current", 136, 122, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_UO_powerCaption", 8, 152, 120, 18, "U-O power", 1},
    {Kind::Label, "Label_UO_power", 136, 152, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_UO_frequencyCaption", 8, 182, 120, 18, "U-O frequency", 1},
    {Kind::Label, "Label_UO_frequency", 136, 182, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WO_voltageCaption", 8, 212, 120, 18, "W-O voltage", 1},
    {Kind::Label, "Label_WO_voltage", 136, 212, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WO_currentCaption", 8, 242, 120, 18, "W-O current", 1},
    {Kind::Label, "Label_WO_current", 136, 242, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WO_powerCaption", 8, 272, 120, 18, "W-O power", 1},
    {Kind::Label, "Label_WO_power", 136, 272, 110, 18, "??", 0, kBlue},
    {Kind::Label, "Label_WO_frequencyCaption", 8, 302, 120, 18, "W-O frequency", 1},
    {Kind::Label, "Label_WO_frequency", 136, 302, 110, 18, "??", 0, kBlue},
};

// Group_LN_ST: the split-phase output.
constexpr ControlDecl kLnStRows[] = {
    {Kind::Label, "Label_OutL1_NCaption", 8, 30, 80, 18, "L1-N", 1},
    {Kind::Label, "Label_OutL1_N", 96, 30, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_OutL2_NCaption", 8, 60, 80, 18, "L2-N", 1},
    {Kind::Label, "Label_OutL2_N", 96, 60, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_Out_STCaption", 8, 90, 80, 18, "Vst", 1},
    {Kind::Label, "Label_Out_ST", 96, 90, 150, 18, "??", 0, kBlue},
};

constexpr int kPageSelector = 800;
constexpr int kPageWindow = 1056;

// One phase of the per-phase layout: its two pages and the labels they fill.
struct PhasePages {
  const char* gate;
  const char* status;
  int firstPage, secondPage;
  const char *grid, *current, *power, *freq, *gridRed, *freqRed;  // first page, words 1-4, 6, 7
  const char *out, *outRed;                                       // second page, words 1, 6
};

constexpr PhasePages kPhases[3] = {
    {"Group_GetAC1", "AC_1...", 0, 16, "Label_VacR_Grid", "Label_IacR", "Label_PacR", "Label_FacR",
     "Label_VacR_GridRed", "Label_FacR_Red", "Label_VacR_Out", "Label_VacR_OutRed"},
    {"Group_GetAC2", "AC_2...", 1, 17, "Label_VacS_Grid", "Label_IacS", "Label_PacS", "Label_FacS",
     "Label_VacS_GridRed", "Label_FacS_Red", "Label_VacS_Out", "Label_VacS_OutRed"},
    {"Group_GetAC3", "AC_3...", 2, 18, "Label_VacT_Grid", "Label_IacT", "Label_PacT", "Label_FacT",
     "Label_VacT_GridRed", "Label_FacT_Red", "Label_VacT_Out", "Label_VacT_OutRed"},
};

// A page is taken only when the window echoes the page that was selected.
bool PageUsable(const Modbus* link, int page) {
  return ReplyUsable(link, kReadInput) && (ReplyWord(link, 0) & 0xFF) == page;
}

int PollAcPhase(Modbus* link, uint8_t stop, const PhasePages& p) {
  int result;
  if (!PollPrologue(link, stop, p.gate, QString::fromLatin1(p.status), result)) return result;
  const TForm_Main& f = *Form_Main;

  if (link->Request(kPageSelector, p.firstPage, kWriteRegister)) return 1;
  if (link->Request(kPageWindow, 8, kReadInput)) return 1;
  if (PageUsable(link, p.firstPage)) {
    SetText(p.grid, VoltageText(f, ReplyWord(link, 1)));
    SetText(p.current, CurrentText(f, ReplyWord(link, 2), f.AcCurrentDiv));
    SetText(p.power, PowerText(f, ReplyWord(link, 3), true));
    SetText(p.freq, FrequencyText(ReplyWord(link, 4)));
    SetText(p.gridRed, VoltageText(f, ReplyWord(link, 6)));
    SetText(p.freqRed, FrequencyText(ReplyWord(link, 7)));
  }

  if (link->Request(kPageSelector, p.secondPage, kWriteRegister)) return 1;
  if (link->Request(kPageWindow, 7, kReadInput)) return 1;
  if (!PageUsable(link, p.secondPage)) return 0;
  SetText(p.out, VoltageText(f, ReplyWord(link, 1)));
  SetText(p.outRed, VoltageText(f, ReplyWord(link, 6)));
  return 0;
}

}  // namespace

extern const PanelControls kAc1Panel{"Group_GetAC1", kAc1Rows};
extern const PanelControls kAc2Panel{"Group_GetAC2", kAc2Rows};
extern const PanelControls kAc3Panel{"Group_GetAC3", kAc3Rows};
extern const PanelControls kStandAlonePanel{"Group_StandAlone3P", kStandAloneRows};
extern const PanelControls kLnStPanel{"Group_LN_ST", kLnStRows};

void SetVoltageCaptions(TForm_Main& f, int variant) {
  const char* caption = nullptr;
  switch (variant) {
    case -1: caption = "Voltage"; break;
    case 0: caption = "Voltage(L-N)"; break;
    case 1: caption = "Voltage(L-L)"; break;
    case 2: caption = "Voltage(L-N)"; break;
    default: return;
  }
  for (const char* name : {"Label19", "Label153", "Label54"})
    if (auto* l = f.Ctl<QLabel>(QLatin1String(name))) l->setText(QLatin1String(caption));
  static constexpr const char* kExtra[] = {
      "Label_VacR_Out", "Label_VacR_GridRed", "Label_VacR_OutRed", "Label_FacR_Red", "Label45",  "Label46",  "Label227",
      "Label_VacS_Out", "Label_VacS_GridRed", "Label_VacS_OutRed", "Label_FacS_Red", "Label157", "Label158", "Label241",
      "Label_VacT_Out", "Label_VacT_GridRed", "Label_VacT_OutRed", "Label_FacT_Red", "Label64",  "Label65",  "Label244",
  };
  for (const char* name : kExtra)
    if (QWidget* w = f.Control(QLatin1String(name))) w->setVisible(variant == 2);
}

int PollAC(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_GetAC1", QStringLiteral("AC..."), result)) return result;
  TForm_Main& f = *Form_Main;

  if (link->Request(24649, 1, kReadCoils)) return 1;
  if (ReplyUsable(link, kReadCoils)) {
    const int threeWire = link->Reply[3] == 1 ? 1 : 0;
    f.ShowAcMode = threeWire;
    SetVoltageCaptions(f, threeWire);
  }

  if (link->Request(49152, 30, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  SetText("Label_TotalOutputPower", PowerText(f, ReplyWord(link, 0), true, "W"));
  static constexpr const char* kPhaseLabels[3][4] = {
      {"Label_VacR_Grid", "Label_IacR", "Label_PacR", "Label_FacR"},
      {"Label_VacS_Grid", "Label_IacS", "Label_PacS", "Label_FacS"},
      {"Label_VacT_Grid", "Label_IacT", "Label_PacT", "Label_FacT"},
  };
  int currentSum = 0;
  for (int phase = 0; phase < 3; ++phase) {
    const int k = 1 + 4 * phase;
    const uint16_t current = ReplyWord(link, k + 1);
    SetText(kPhaseLabels[phase][0], VoltageText(f, ReplyWord(link, k)));
    SetText(kPhaseLabels[phase][1], CurrentText(f, current, f.AcCurrentDiv));
    SetText(kPhaseLabels[phase][2], PowerText(f, ReplyWord(link, k + 2), true));
    SetText(kPhaseLabels[phase][3], FrequencyText(ReplyWord(link, k + 3)));
    currentSum += current;
  }
  // Three-wire terminals show the line-to-line voltages instead.
  if (f.ShowAcMode == 1)
    for (int phase = 0; phase < 3; ++phase) SetText(kPhaseLabels[phase][0], VoltageText(f, ReplyWord(link, 27 + phase)));
  SetText("Label_TotalOutputCurrent", CurrentText(f, currentSum, f.AcCurrentDiv, "A"));
  return 0;
}

int PollAC1(Modbus* link, uint8_t stop) { return PollAcPhase(link, stop, kPhases[0]); }
int PollAC2(Modbus* link, uint8_t stop) { return PollAcPhase(link, stop, kPhases[1]); }
int PollAC3(Modbus* link, uint8_t stop) { return PollAcPhase(link, stop, kPhases[2]); }

int PollStandAlone3P(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_StandAlone3P", QStringLiteral("SA..."), result)) return result;
  const TForm_Main& f = *Form_Main;

  if (link->Request(49165, 14, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  // No word here is signed; the currents are read unsigned too.
  auto current = [&](int k) { return FormatScaledFloat(ReplyWord(link, k), f.AcCurrentDiv) + QStringLiteral(" A"); };
  SetText("Label_UW_voltage", VoltageText(f, ReplyWord(link, 0)));
  SetText("Label_UW_Power", PowerText(f, ReplyWord(link, 1), false));
  SetText("Label_UO_voltage", VoltageText(f, ReplyWord(link, 2)));
  SetText("Label_UO_current", current(3));
  SetText("Label_UO_power", PowerText(f, ReplyWord(link, 4), false));
  SetText("Label_UO_frequency", FrequencyText(ReplyWord(link, 5)));
  SetText("Label_WO_voltage", VoltageText(f, ReplyWord(link, 10)));
  SetText("Label_WO_current", current(11));
  SetText("Label_WO_power", PowerText(f, ReplyWord(link, 12), false));
  SetText("Label_WO_frequency", FrequencyText(ReplyWord(link, 13)));
  return 0;
}

int PollLNST(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_LN_ST", QStringLiteral("LN&&ST..."), result)) return result;
  const TForm_Main& f = *Form_Main;

  if (link->Request(3328, 6, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  SetText("Label_OutL1_N", VoltageText(f, ReplyWord(link, 1)));
  // L2-N is the difference of the two readings, always in tenths of a volt.
  const int l2n = static_cast<int>(ReplyWord(link, 0)) - static_cast<int>(ReplyWord(link, 1));
  SetText("Label_OutL2_N", FormatScaledFloat(static_cast<float>(l2n), 10) + QStringLiteral(" V"));
  SetText("Label_Out_ST", VoltageText(f, ReplyWord(link, 5)));
  return 0;
}
