#include "settings/ProtectionViews.h"

#include <array>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"
#include "settings/SettingEditors.h"
#include "settings/SettingRows.h"

namespace {

// Each value: caption, value label ("???" until read) and edit, one row of
// 34 px; row 0 lies just below the title bar. The second column of the
// voltage group starts at x 262, in view only in its wide layouts.
constexpr int kFirstRow = 32;
constexpr int kRowPitch = 34;
constexpr int kSecondColumn = 262;
constexpr RowColumns kColumns{4, 144, 150, 66, 218, 34};
#define PROTECTION_ROW_AT(left, top, caption, text, label, edit) \
  SETTING_ROW(kColumns.At(left), top, caption, text, label, "???", Kind::Edit, edit, "")
#define PROTECTION_ROW(row, caption, text, label, edit) \
  PROTECTION_ROW_AT(0, kFirstRow + kRowPitch * (row), caption, text, label, edit)

constexpr ControlDecl kUacRows[] = {
    PROTECTION_ROW(0, "Label71", "U High Off:", "Label_UHighOFF", "Edit_UHighOFF"),
    PROTECTION_ROW(1, "Label78", "U High Off Time:", "Label_UHighOFFTime", "Edit_UHighOFFTime"),
    PROTECTION_ROW(2, "Label82", "U High On:", "Label_UHighON", "Edit_UHighON"),
    PROTECTION_ROW(3, "Label94", "U Low Off:", "Label_ULowOFF", "Edit_ULowOFF"),
    PROTECTION_ROW(4, "Label95", "U Low Off Time:", "Label_ULowOFFTime", "Edit_ULowOFFTime"),
    PROTECTION_ROW(5, "Label96", "U Low On:", "Label_ULowON", "Edit_ULowON"),
    PROTECTION_ROW(6, "Label87", "U High Off Slow:", "Label_UHighOFFSlow", "Edit_UHighOFFSlow"),
    PROTECTION_ROW(7, "Label90", "U High Off Slow Time:", "Label_UHighOFFSlowTime", "Edit_UHighOFFSlowTime"),
    PROTECTION_ROW(8, "Label92", "U High On Slow:", "Label_UHighONSlow", "Edit_UHighONSlow"),
    PROTECTION_ROW(9, "Label97", "U Low Off Slow:", "Label_ULowOFFSlow", "Edit_ULowOFFSlow"),
    PROTECTION_ROW(10, "Label98", "U Low Off Slow Time:", "Label_ULowOFFSlowTime", "Edit_ULowOFFSlowTime"),
    PROTECTION_ROW(11, "Label99", "U Low On Slow:", "Label_ULowONSlow", "Edit_ULowONSlow"),
    // Second column: the second slow stage beside the first column's fast
    // stage, the high side in its own box (rows 0 to 2) so one layout can
    // hide it, the low side below it (rows 3 to 5).
    {Kind::Frame, "GroupBox39", kSecondColumn, kFirstRow, 252, 2 * kRowPitch + 22, "", 0, kHidden},
    PROTECTION_ROW_AT(kSecondColumn, kFirstRow + 3 * kRowPitch, "Label594", "U Low Off Slow 2:", "Label_ULowOFFSlow2",
                      "Edit_ULowOFFSlow2"),
    PROTECTION_ROW_AT(kSecondColumn, kFirstRow + 4 * kRowPitch, "Label601", "U Low Off Slow Time 2:",
                      "Label_ULowOFFSlowTime2", "Edit_ULowOFFSlowTime2"),
    PROTECTION_ROW_AT(kSecondColumn, kFirstRow + 5 * kRowPitch, "Label603", "U Low On Slow 2:", "Label_ULowONSlow2",
                      "Edit_ULowONSlow2"),
};

// Inside GroupBox39, whose top is the first row's top.
constexpr ControlDecl kGroupBox39Rows[] = {
    PROTECTION_ROW_AT(0, 0, "Label551", "U High Off Slow 2:", "Label_UHighOFFSlow2", "Edit_UHighOFFSlow2"),
    PROTECTION_ROW_AT(0, kRowPitch, "Label569", "U High Off Slow Time 2:", "Label_UHighOFFSlowTime2",
                      "Edit_UHighOFFSlowTime2"),
    PROTECTION_ROW_AT(0, 2 * kRowPitch, "Label575", "U High On Slow 2:", "Label_UHighONSlow2", "Edit_UHighONSlow2"),
};

constexpr ControlDecl kFreqRows[] = {
    PROTECTION_ROW(0, "Label76", "F High Off:", "Label_FHighOFF", "Edit_FHighOFF"),
    PROTECTION_ROW(1, "Label80", "F High Off Time:", "Label_FHighOFFTime", "Edit_FHighOFFTime"),
    PROTECTION_ROW(2, "Label85", "F High On:", "Label_FHighON", "Edit_FHighON"),
    PROTECTION_ROW(3, "Label100", "F Low Off:", "Label_FLowOFF", "Edit_FLowOFF"),
    PROTECTION_ROW(4, "Label101", "F Low Off Time:", "Label_FLowOFFTime", "Edit_FLowOFFTime"),
    PROTECTION_ROW(5, "Label102", "F Low On:", "Label_FLowON", "Edit_FLowON"),
    PROTECTION_ROW(6, "Label103", "F High Off Slow:", "Label_FHighOFFSlow", "Edit_FHighOFFSlow"),
    PROTECTION_ROW(7, "Label113", "F High Off Slow Time:", "Label_FHighOFFSlowTime", "Edit_FHighOFFSlowTime"),
    PROTECTION_ROW(8, "Label114", "F High On Slow:", "Label_FHighONSlow", "Edit_FHighONSlow"),
    PROTECTION_ROW(9, "Label108", "F Low Off Slow:", "Label_FLowOFFSlow", "Edit_FLowOFFSlow"),
    PROTECTION_ROW(10, "Label111", "F Low Off Slow Time:", "Label_FLowOFFSlowTime", "Edit_FLowOFFSlowTime"),
    PROTECTION_ROW(11, "Label116", "F Low On Slow:", "Label_FLowONSlow", "Edit_FLowONSlow"),
};

#undef PROTECTION_ROW
#undef PROTECTION_ROW_AT

constexpr auto V = Show::Deci;
constexpr auto C = Show::Centi;

// Reply words to labels, in register order.
constexpr WordRead kUacWords[] = {
    Word(0, "Label_UHighOFF", V, " V"),      Word(1, "Label_UHighOFFTime", C, " Sec"),
    Word(2, "Label_UHighON", V, " V"),       Word(3, "Label_ULowOFF", V, " V"),
    Word(4, "Label_ULowOFFTime", C, " Sec"), Word(5, "Label_ULowON", V, " V"),
    Word(6, "Label_UHighOFFSlow", V, " V"),  Word(7, "Label_UHighOFFSlowTime", C, " Sec"),
    Word(8, "Label_UHighONSlow", V, " V"),   Word(9, "Label_ULowOFFSlow", V, " V"),
    Word(10, "Label_ULowOFFSlowTime", C, " Sec"), Word(11, "Label_ULowONSlow", V, " V"),
};
constexpr WordRead kUacSlow2Words[] = {
    Word(0, "Label_UHighOFFSlow2", V, " V"), Word(1, "Label_UHighOFFSlowTime2", C, " Sec"),
    Word(2, "Label_UHighONSlow2", V, " V"),  Word(3, "Label_ULowOFFSlow2", V, " V"),
    Word(4, "Label_ULowOFFSlowTime2", C, " Sec"), Word(5, "Label_ULowONSlow2", V, " V"),
};
constexpr WordRead kFreqFastWords[] = {
    Word(0, "Label_FHighOFF", C, " Hz"), Word(1, "Label_FHighOFFTime", C, " Sec"), Word(2, "Label_FHighON", C, " Hz"),
    Word(3, "Label_FLowOFF", C, " Hz"),  Word(4, "Label_FLowOFFTime", C, " Sec"),  Word(5, "Label_FLowON", C, " Hz"),
};
constexpr WordRead kFreqSlowWords[] = {
    Word(0, "Label_FHighOFFSlow", C, " Hz"), Word(1, "Label_FHighOFFSlowTime", C, " Sec"),
    Word(2, "Label_FHighONSlow", C, " Hz"),  Word(3, "Label_FLowOFFSlow", C, " Hz"),
    Word(4, "Label_FLowOFFSlowTime", C, " Sec"), Word(5, "Label_FLowONSlow", C, " Hz"),
};

// Defaults of the six slow-stage registers of each group, in register order.
constexpr int kUacSlowFirst = 33558;
constexpr std::array<uint16_t, 6> kUacSlowDefaults = {2760, 60000, 2760, 1840, 60000, 1840};
constexpr int kFreqSlowFirst = 33610;
constexpr std::array<uint16_t, 6> kFreqSlowDefaults = {6500, 60000, 6500, 4500, 60000, 4500};

bool CountryWantsDefaults() {
  const ValueLabel* country = ViewLabel("Label_Country");
  return country && SlowStageDefaultsApply(country->text());
}

// Writes the default of every register of the block whose word (from `from`
// in the reply) reads as unset (0 or 0xFFFF). The words are copied first:
// each write replaces the reply. Returns 1 when a write failed on the link.
int WriteSlowDefaults(Modbus* link, int from, int first, const std::array<uint16_t, 6>& defaults) {
  if (!CountryWantsDefaults()) return 0;
  std::array<uint16_t, 6> words{};
  for (int i = 0; i < 6; ++i) words[i] = ReplyWord(link, from + i);
  for (int i = 0; i < 6; ++i) {
    if (words[i] != 0 && words[i] != 0xFFFF) continue;
    if (link->Request(static_cast<uint16_t>(first + i), static_cast<int16_t>(defaults[i]), kWriteRegister))
      return 1;
  }
  return 0;
}

// The labels keep what was read; the next pass shows the defaults.
int UacSlowDefaults(Modbus* link) { return WriteSlowDefaults(link, 6, kUacSlowFirst, kUacSlowDefaults); }
int FreqSlowDefaults(Modbus* link) { return WriteSlowDefaults(link, 0, kFreqSlowFirst, kFreqSlowDefaults); }

constexpr ReadBlock kUacBlocks[] = {
    Read(kReadHolding, 33552, 12, kUacWords).Then(UacSlowDefaults),
    Read(kReadHolding, 48176, 6, kUacSlow2Words),
};
// The frequency labels turn blue whatever the replies were.
constexpr ReadBlock kFreqBlocks[] = {
    Read(kReadHolding, 33568, 6, kFreqFastWords).Painted(Paint::Always),
    Read(kReadHolding, 33610, 6, kFreqSlowWords).Painted(Paint::Always).Then(FreqSlowDefaults),
};
constexpr ReadView kUacView{"Group_UacProtection", "Vac Set...", kUacBlocks};
constexpr ReadView kFreqView{"Group_FreqProtection", "Freq Set...", kFreqBlocks};

using R = RangeRule;
constexpr R kMax60000{RangeForm::ClampAbove, 0, 60000};
// The high limit compares the whole value: read as signed, a typed 400 Hz
// (40000) would pass under 65 Hz.
constexpr R kMaxHz{RangeForm::ClampAbove, 0, 6500};
constexpr R kMinStoredHz{RangeForm::ClampBelowStored, 4500, 0};

constexpr EditorDecl kEditors[] = {
    Edit("Edit_UHighOFF", 33552, X10, "Label_UHighOFF", "Max: 276V"),
    Edit("Edit_UHighOFFTime", 33553, X100, "Label_UHighOFFTime", "Max: 5 sec"),
    Edit("Edit_UHighON", 33554, X10, "Label_UHighON", "Max: 276V"),
    Edit("Edit_ULowOFF", 33555, X10, "Label_ULowOFF", "Min: 184V"),
    Edit("Edit_ULowOFFTime", 33556, X100, "Label_ULowOFFTime", "Max: 5 sec"),
    Edit("Edit_ULowON", 33557, X10, "Label_ULowON", "Min: 184V"),
    Edit("Edit_UHighOFFSlow", 33558, X10, "Label_UHighOFFSlow", "Max: 276V"),
    Edit("Edit_UHighOFFSlowTime", 33559, X100, "Label_UHighOFFSlowTime", "Max: 600 sec"),
    Edit("Edit_UHighONSlow", 33560, X10, "Label_UHighONSlow", "Max: 276V"),
    Edit("Edit_ULowOFFSlow", 33561, X10, "Label_ULowOFFSlow", "Min: 184V"),
    Edit("Edit_ULowOFFSlowTime", 33562, X100, "Label_ULowOFFSlowTime", "Max: 600 sec"),
    Edit("Edit_ULowONSlow", 33563, X10, "Label_ULowONSlow", "Min: 184V"),
    Edit("Edit_UHighOFFSlow2", 48176, X10, "Label_UHighOFFSlow2", "Max: 276V"),
    Edit("Edit_UHighOFFSlowTime2", 48177, X100, "Label_UHighOFFSlowTime2", "Max: 600 sec"),
    Edit("Edit_UHighONSlow2", 48178, X10, "Label_UHighONSlow2", "Max: 276V"),
    Edit("Edit_ULowOFFSlow2", 48179, X10, "Label_ULowOFFSlow2", "Min: 184V"),
    Edit("Edit_ULowOFFSlowTime2", 48180, X100, "Label_ULowOFFSlowTime2", "Max: 600 sec"),
    Edit("Edit_ULowONSlow2", 48181, X10, "Label_ULowONSlow2", "Min: 184V"),
    Edit("Edit_FHighOFF", 33568, X100, "Label_FHighOFF", "Max: 65Hz"),
    Edit("Edit_FHighOFFTime", 33569, X100, "Label_FHighOFFTime", "Max: 5 sec"),
    Edit("Edit_FHighON", 33570, X100, "Label_FHighON", "Max: 65Hz"),
    Edit("Edit_FLowOFF", 33571, X100, "Label_FLowOFF", "Min: 45Hz"),
    Edit("Edit_FLowOFFTime", 33572, X100, "Label_FLowOFFTime", "Max: 5 sec"),
    Edit("Edit_FLowON", 33573, X100, "Label_FLowON", "Min: 45Hz"),
    Edit("Edit_FHighOFFSlow", 33610, X100, "Label_FHighOFFSlow", "Max: 65Hz").Range(kMaxHz),
    Edit("Edit_FHighOFFSlowTime", 33611, X100, "Label_FHighOFFSlowTime", "Max: 600 sec").Range(kMax60000),
    Edit("Edit_FHighONSlow", 33612, X100, "Label_FHighONSlow", "Max: 65Hz").Range(kMaxHz),
    Edit("Edit_FLowOFFSlow", 33613, X100, "Label_FLowOFFSlow", "Min: 45Hz").Range(kMinStoredHz),
    Edit("Edit_FLowOFFSlowTime", 33614, X100, "Label_FLowOFFSlowTime", "Max: 600 sec").Range(kMax60000),
    Edit("Edit_FLowONSlow", 33615, X100, "Label_FLowONSlow", "Min: 45Hz").Range(kMinStoredHz),
};

// Long captions or the grid code's short codes.
constexpr CaptionVariant kFreqCaptions[] = {
    {"Label76", {"F High Off:", "HF2"}},        {"Label80", {"F High Off Time:", "HF2T"}},
    {"Label85", {"F High On:", "HF2H"}},        {"Label103", {"F High Off Slow:", "HF1"}},
    {"Label113", {"F High Off Slow Time:", "HF1T"}}, {"Label114", {"F High On Slow:", "HF1H"}},
    {"Label100", {"F Low Off:", "LF2"}},        {"Label101", {"F Low Off Time:", "LF2T"}},
    {"Label102", {"F Low On:", "LF2H"}},        {"Label108", {"F Low Off Slow:", "LF1"}},
    {"Label111", {"F Low Off Slow Time:", "LF1T"}}, {"Label116", {"F Low On Slow:", "LF1H"}},
};
// The high side's second slow stage keeps its captions in both.
constexpr CaptionVariant kVoltCaptions[] = {
    {"Label71", {"U High Off:", "HV2"}},        {"Label78", {"U High Off Time:", "HV2T"}},
    {"Label82", {"U High On:", "HV2H"}},        {"Label87", {"U High Off Slow:", "HV1"}},
    {"Label90", {"U High Off Slow Time:", "HV1T"}}, {"Label92", {"U High On Slow:", "HV1H"}},
    {"Label94", {"U Low Off:", "LV3"}},         {"Label95", {"U Low Off Time:", "LV3T"}},
    {"Label96", {"U Low On:", "LV3H"}},         {"Label97", {"U Low Off Slow:", "LV1"}},
    {"Label98", {"U Low Off Slow Time:", "LV1T"}}, {"Label99", {"U Low On Slow:", "LV1H"}},
    {"Label594", {"U Low Off Slow 2:", "LV2"}}, {"Label601", {"U Low Off Slow Time 2:", "LV2T"}},
    {"Label603", {"U Low On Slow 2:", "LV2H"}},
};

}  // namespace

extern const PanelControls kUacProtectionPanel{"Group_UacProtection", kUacRows};
extern const PanelControls kGroupBox39Panel{"GroupBox39", kGroupBox39Rows};
extern const PanelControls kFreqProtectionPanel{"Group_FreqProtection", kFreqRows};

bool SlowStageDefaultsApply(const QString& country) {
  return country.size() >= 8 && country[0] == u'C' && country[1] == u'u' && country[7] == u'r';
}

int PollUacProtection(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kUacView); }
int PollFreqProtection(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kFreqView); }

std::span<const EditorDecl> ProtectionEditors() { return kEditors; }

void TForm_Main::SetFreqProtectLabels(int variant) { ApplyCaptionVariant(*this, kFreqCaptions, variant); }
void TForm_Main::SetVoltProtectLabels(int variant) { ApplyCaptionVariant(*this, kVoltCaptions, variant); }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> ProtectionReadViews() {
  static constexpr const ReadView* kViews[] = {&kUacView, &kFreqView};
  return kViews;
}
