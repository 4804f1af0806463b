#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "settings/RelayViews.h"
#include "settings/SettingRows.h"

// Multi-function relays: mode, three event codes, power production, the
// external-load values, the fan temperature and the event classes of the
// relay the selector shows. Relay 2's registers lie 12 above relay 1's.

namespace {

// Caption, value label ("??") and editor, one row of 34 px.
constexpr RowColumns kColumns{8, 160, 172, 150, 330, 180};
#define RELAY_ROW(row, caption, text, label, editKind, editor, items) \
  SETTING_ROW(kColumns, 32 + 34 * (row), caption, text, label, "??", editKind, editor, items)

constexpr ControlDecl kRows[] = {
    {Kind::Combo, "Combo_SelectRelay", 8, 32, 120, 22, "Relay 1\nRelay 2"},
    {Kind::Label, "Label_SelectRelay", 136, 34, 80, 18, "Relay 1"},
    RELAY_ROW(1, "Caption_MultiRelay1", "Function Mode:", "Label_MultiRelay1", Kind::Combo, "Combo_MultiRelay1",
              "0 : Disable\n1 : Fault/Error/warning(only 3)\n2 : Power production\n"
              "3 : External load control\n4 : Control external Fans"),
    RELAY_ROW(2, "Caption_Relay1_FEW1", "Fault/Error/warning 1:", "Label_Relay1_FEW1", Kind::Edit,
              "Edit_Relay1_FEW1", ""),
    RELAY_ROW(3, "Caption_Relay1_FEW2", "Fault/Error/warning 2:", "Label_Relay1_FEW2", Kind::Edit,
              "Edit_Relay1_FEW2", ""),
    RELAY_ROW(4, "Caption_Relay1_FEW3", "Fault/Error/warning 3:", "Label_Relay1_FEW3", Kind::Edit,
              "Edit_Relay1_FEW3", ""),
    {Kind::Check, "Check_Relay1AllError", 8, 32 + 34 * 5, 110, 22, "All Error"},
    {Kind::Check, "Check_Relay1AllFault", 124, 32 + 34 * 5, 110, 22, "All Fault"},
    {Kind::Check, "Check_Relay1AllWarning", 240, 32 + 34 * 5, 120, 22, "All Warning"},
    RELAY_ROW(6, "Caption_PowerPro1", "Power Production", "Label_PowerPro1", Kind::Combo, "Combo_PowerPro1",
              "0 : Disable\n1 : Enable"),
    RELAY_ROW(7, "Caption_RelayOP1", "Output Power:", "Label_RelayOP1", Kind::Edit, "Edit_RelayOP1", ""),
    RELAY_ROW(8, "Caption_RelayDuration1", "ON Delay time:", "Label_RelayDuration1", Kind::Edit,
              "Edit_RelayDuration1", ""),
    RELAY_ROW(9, "Caption_RelayMD1", "OFF Delay time:", "Label_RelayMD1", Kind::Edit, "Edit_RelayMD1", ""),
    RELAY_ROW(10, "Caption_Relay1Temp1", "Temperature 1:", "Label_Relay1Temp1", Kind::Edit, "Edit_Relay1Temp1", ""),
};
#undef RELAY_ROW

constexpr int kRelay1 = 52738;
constexpr int kRelayPitch = 12;

// Relay 2 when the selector says so; relay 1 otherwise, a selector without
// a choice included.
int ShownRelay(const TForm_Main& f) {
  const auto* c = f.Ctl<QComboBox>(QStringLiteral("Combo_SelectRelay"));
  return c && c->currentIndex() == 1 ? 1 : 0;
}
int RelayOffset(const TForm_Main& f) { return ShownRelay(f) * kRelayPitch; }

bool Relay1Shown(const TForm_Main& f) {
  SelectFirstRelay(f);
  return ShownRelay(f) == 0;
}
bool Relay2Shown(const TForm_Main& f) { return ShownRelay(f) == 1; }

std::optional<QString> SignedCelsiusWord(const Modbus*, uint16_t word) {
  return FormatDeci(static_cast<int16_t>(word)) + QStringLiteral(" \u2103");
}

// Word 6 of the block of 7: the event classes, kept per relay for the
// boxes' toggles.
constexpr struct {
  const char* box;
  uint16_t bit;
} kClassBoxes[] = {{"Check_Relay1AllError", 1}, {"Check_Relay1AllFault", 2}, {"Check_Relay1AllWarning", 4}};

int KeepEventMask(Modbus* link, int relay) {
  const uint16_t mask = ReplyWord(link, 6);
  Form_Main->RelayEventMask[relay] = mask;
  for (const auto& b : kClassBoxes)
    if (auto* box = Form_Main->Ctl<QAbstractButton>(QLatin1String(b.box))) box->setChecked(mask & b.bit);
  return 0;
}
int KeepRelay1Mask(Modbus* link) { return KeepEventMask(link, 0); }
int KeepRelay2Mask(Modbus* link) { return KeepEventMask(link, 1); }

constexpr CodeText kModes[] = {
    {0, "0: Disable"}, {1, "1: Fault/Error/Warning"}, {2, "2: Power Production"},
    {3, "3: External Load Control"}, {4, "4: Control External Fans"},
};
constexpr CodeText kPowerProduction[] = {{0, "0: Disable"}, {1, "1: Enable"}};

constexpr WordRead kModeWords[] = {
    Word(0, "Label_MultiRelay1", Show::Text).Texts(kModes, "??"),
    Word(1, "Label_Relay1_FEW1", Show::Decimal),
    Word(2, "Label_Relay1_FEW2", Show::Decimal),
    Word(3, "Label_Relay1_FEW3", Show::Decimal),
};
constexpr WordRead kLoadWords[] = {
    Word(0, "Label_PowerPro1", Show::Text).Texts(kPowerProduction, "??"),
    Word(1, "Label_RelayOP1", Show::Centi, " KW"),
    Word(2, "Label_RelayDuration1", Show::Decimal, " min"),
    Word(3, "Label_RelayMD1", Show::Decimal, " min"),
    HookWord(4, "Label_Relay1Temp1", SignedCelsiusWord),
};

// Each relay: a block of 5 from its first register and one of 7 from its
// fifth. Without a usable first block the second is not read.
constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, kRelay1, 5, kModeWords).When(Relay1Shown).EndIfInvalid(),
    Read(kReadHolding, kRelay1 + 4, 7, kLoadWords).When(Relay1Shown).Then(KeepRelay1Mask),
    Read(kReadHolding, kRelay1 + kRelayPitch, 5, kModeWords).When(Relay2Shown).EndIfInvalid(),
    Read(kReadHolding, kRelay1 + kRelayPitch + 4, 7, kLoadWords).When(Relay2Shown).Then(KeepRelay2Mask),
};
constexpr ReadView kView{"Group_RelayFunction1", "Relay...", kBlocks};

// ---- Editor hooks ---------------------------------------------------------

// The row's rule, written to the register of the relay shown now.
std::optional<Posting> ForShownRelay(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> v = RuleValue(f, row, in);
  if (!v) return std::nullopt;
  return Posting{row.reg + RelayOffset(f), row.code, *v, 0};
}

// Tenths of a degree; the small step away from zero keeps 25.5 from
// becoming 254 through the float.
std::optional<Posting> RelayTemperature(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> typed = TextValue(ValueRule::Scaled, 10, in.text);
  if (!typed) return std::nullopt;
  // No finite number ("inf"): the bound the register check refuses.
  if (!IsNumberText(in.text)) return Posting{row.reg + RelayOffset(f), row.code, *typed, 0};
  long double x = SafeStrToFloat(in.text);
  x += x < 0 ? -0.0002L : 0.0002L;
  // Anything beyond a word is refused after this; keep the conversion defined.
  const long double tenths = std::clamp(std::trunc(x * 10), -1e12L, 1e12L);
  return Posting{row.reg + RelayOffset(f), row.code, static_cast<int64_t>(tenths), 0};
}

// The box's bit (the row's fixed value) flipped in the shown relay's word.
// Before that relay was read the other bits are unknown: nothing is posted.
std::optional<Posting> ToggleEventClass(TForm_Main& f, const EditorDecl& row, const EditorInput&) {
  const std::optional<uint16_t> mask = f.RelayEventMask[static_cast<size_t>(ShownRelay(f))];
  if (!mask) return std::nullopt;
  return Posting{row.reg + RelayOffset(f), row.code, *mask ^ row.fixed, 0};
}
// A second click before the next read works on the word just posted.
void KeepToggledMask(TForm_Main& f, const EditorDecl&) {
  f.RelayEventMask[static_cast<size_t>(ShownRelay(f))] = static_cast<uint16_t>(f.Link.CmdValue);
}

// The selector only names the relay; the next pass reads it.
std::optional<Posting> NameChosenRelay(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  auto* combo = f.Ctl<QComboBox>(QLatin1String(row.control));
  if (auto* l = f.Ctl<QLabel>(QStringLiteral("Label_SelectRelay")); l && combo) l->setText(combo->itemText(in.index));
  return std::nullopt;
}

constexpr EditorDecl ClassBox(const char* box, int bit) {
  return Check(box, kRelay1 + 10, CmdWriteRegister, bit, bit).Value(ToggleEventClass).After(KeepToggledMask);
}

constexpr EditorDecl kEditors[] = {
    Combo("Combo_MultiRelay1", kRelay1, "Label_MultiRelay1").Value(ForShownRelay),
    Edit("Edit_Relay1_FEW1", kRelay1 + 1, SafeInt, "Label_Relay1_FEW1").Value(ForShownRelay),
    Edit("Edit_Relay1_FEW2", kRelay1 + 2, SafeInt, "Label_Relay1_FEW2").Value(ForShownRelay),
    Edit("Edit_Relay1_FEW3", kRelay1 + 3, SafeInt, "Label_Relay1_FEW3").Value(ForShownRelay),
    Combo("Combo_PowerPro1", kRelay1 + 4, "Label_PowerPro1").Value(ForShownRelay),
    Edit("Edit_RelayOP1", kRelay1 + 5, X100, "Label_RelayOP1").Value(ForShownRelay),
    Edit("Edit_RelayDuration1", kRelay1 + 6, SafeInt, "Label_RelayDuration1").Value(ForShownRelay),
    Edit("Edit_RelayMD1", kRelay1 + 7, SafeInt, "Label_RelayMD1").Value(ForShownRelay),
    Edit("Edit_Relay1Temp1", kRelay1 + 8, X10, "Label_Relay1Temp1").Signed().Value(RelayTemperature),
    ClassBox("Check_Relay1AllError", 1),
    ClassBox("Check_Relay1AllFault", 2),
    ClassBox("Check_Relay1AllWarning", 4),
    Combo("Combo_SelectRelay", 0, nullptr).Value(NameChosenRelay),
};

}  // namespace

extern const PanelControls kRelayFunctionPanel{"Group_RelayFunction1", kRows};

void SelectFirstRelay(const TForm_Main& f) {
  auto* c = f.Ctl<QComboBox>(QStringLiteral("Combo_SelectRelay"));
  if (!c || c->currentIndex() >= 0 || c->count() == 0) return;
  c->setCurrentIndex(0);
  if (auto* l = f.Ctl<QLabel>(QStringLiteral("Label_SelectRelay"))) l->setText(c->itemText(0));
}

int PollRelayFunction(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> RelayFunctionEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> RelayFunctionReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
