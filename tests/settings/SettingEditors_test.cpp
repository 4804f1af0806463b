#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "settings/AustraliaSetView.h"
#include "settings/BatteryControlEditors.h"
#include "settings/CountryView.h"
#include "settings/FaultRideThroughView.h"
#include "settings/GainEditors.h"
#include "settings/GridSupportViews.h"
#include "settings/JapanViews.h"
#include "settings/ProtectionFunctionViews.h"
#include "settings/ProtectionViews.h"
#include "settings/RelayViews.h"
#include "settings/ServiceCommands.h"
#include "settings/SettingEditors.h"
#include "settings/StatusCommands.h"
#include "support/PollFixture.h"
#include "support/ReactiveFixture.h"
#include "support/SettingsFixture.h"
#include "support/UserInput.h"

namespace {

struct ValueCase {
  const char* text;
  TextRule rule;
  RangeRule range;
  std::optional<int> expected;  // nothing: no command
  bool signedWord = false;      // the register's signedness
};

// What a row of the rule and range posts for the text: the rule and range,
// then the 16-bit check.
std::optional<uint16_t> Posted(const TForm_Main& w, const ValueCase& c) {
  EditorDecl row = Edit("Edit_Probe", 700, c.rule, "Label_Probe").Range(c.range);
  if (c.signedWord) row = row.Signed();
  EditorInput in;
  in.text = QString::fromLatin1(c.text);
  const std::optional<int64_t> v = RuleValue(w, row, in);
  if (!v) return std::nullopt;
  return StoredWord(*v, c.signedWord, RowBounds(row), c.rule.factor);
}

using EditorValues = polltest::ViewTest;

TEST_F(EditorValues, ValueAndRangeRules) {
  const RangeRule none{};
  const std::vector<ValueCase> cases = {
      {"276", X10, none, 2760},
      {"0.29", X100, none, 29},  // the nudge keeps it from 28
      {"-0.5", X100, none, 0xFFCE, true},
      {"-3.3", X10, none, 0xFFDF, true},
      {"253.05", X10, none, 2530},  // truncated, never rounded
      {"3,5", X100, none, 350},     // either decimal separator
      // Beyond what the register holds the low bits would be another value:
      // refused.
      {"7000", X10, none, std::nullopt},
      {"6553.5", X10, none, 65535},
      {"-3276.8", X10, none, 0x8000, true},
      {"-3276.9", X10, none, std::nullopt, true},
      {"1e300", X1000, none, std::nullopt},  // beyond 64 bits too
      // Text that is no number is refused, never written as 0.
      {"", X10, none, std::nullopt},
      {"abc", X100, none, std::nullopt},
      {"90%", SafeInt, none, std::nullopt},
      {"0x10", SafeInt, none, 16},
      {"70000", SafeInt, none, std::nullopt},
      {"0xFFFF", SafeInt, none, 0xFFFF},
      {"0xFFFFFFFF", SafeInt, none, 0xFFFF, true},  // -1
      {"-1", StrictInt, none, 0xFFFF, true},
      {"$1F", StrictInt, none, 31},
      {"abc", StrictInt, none, std::nullopt},
      {"", StrictInt, none, std::nullopt},
      {"2.5", StrictInt, none, std::nullopt},
      // Clamps on the full integer, before the 16-bit cut.
      {"700", X100, {RangeForm::ClampAbove, 0, 60000}, 60000},
      {"5", X100, {RangeForm::ClampAbove, 0, 60000}, 500},
      {"1e300", X100, {RangeForm::ClampAbove, 0, 60000}, 60000},
      {"40", X100, {RangeForm::ClampBelow, 4500, 0}, 4500},
      // Clamps on the stored word read as signed.
      {"65.5", X100, {RangeForm::ClampAboveStored, 0, 6500}, 6500},
      {"400", X100, {RangeForm::ClampAboveStored, 0, 6500}, 40000},
      {"400", X100, {RangeForm::ClampBelowStored, 4500, 0}, 4500},
      {"1000", X100, {RangeForm::ClampBelowStored, 4500, 0}, 4500},  // 100000: clamped, no wrap
      {"50", X100, {RangeForm::ClampBelowStored, 4500, 0}, 5000},
      // Refusals post nothing outside the range, and the limits pass.
      {"11", SafeInt, {RangeForm::Refuse, 0, 10}, std::nullopt},
      {"10", SafeInt, {RangeForm::Refuse, 0, 10}, 10},
      {"-1", SafeInt, {RangeForm::Refuse, 0, 10, "Range: 0 - 10"}, std::nullopt},
      {"0", SafeInt, {RangeForm::Refuse, 0, 10, "Range: 0 - 10"}, 0},
  };
  for (const ValueCase& c : cases) {
    const std::optional<uint16_t> v = Posted(w, c);
    if (c.expected) {
      ASSERT_TRUE(v.has_value()) << c.text;
      EXPECT_EQ(*v, *c.expected) << c.text;
    } else {
      EXPECT_FALSE(v.has_value()) << c.text;
    }
  }
  // Every refusal said why: in its own words, or with the range the row takes.
  const QStringList& m = t.dialogs.messages;
  ASSERT_EQ(m.size(), 12);
  EXPECT_EQ(m[0], "Out of range: the value must lie from 0.0 to 6553.5");
  EXPECT_EQ(m[1], "Out of range: the value must lie from -3276.8 to 3276.7");
  EXPECT_EQ(m[2], "Out of range: the value must lie from 0.000 to 65.535");
  EXPECT_EQ(m[3], "'' is not a valid number");
  EXPECT_EQ(m[4], "'abc' is not a valid number");
  EXPECT_EQ(m[5], "'90%' is not a valid integer value");
  EXPECT_EQ(m[6], "Out of range: the value must lie from 0 to 65535");
  EXPECT_EQ(m[7], "'abc' is not a valid integer value");
  EXPECT_EQ(m[10], "Out of range: the value must lie from 0 to 10");
  EXPECT_EQ(m[11], "Range: 0 - 10");
}

// Every row kind against its register's bounds, both signednesses: the
// value just inside each bound is posted, the one just outside is refused with
// the register's range in the row's units (or, for a fixed value, its bare
// number) and nothing is posted.
std::optional<Posting> NegatedScaled(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> v = RuleValue(f, row, in);
  if (!v) return std::nullopt;
  return Posting{row.reg, row.code, -*v, 0};  // a sign rule's kind of hook
}
// A button's source text, a whole number, negated.
std::optional<Posting> NegatedSource(TForm_Main&, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> v = TextValue(ValueRule::SafeInt, 1, in.text);
  if (!v) return std::nullopt;
  return Posting{row.reg, row.code, -*v, 0};
}
RegisterScale Thousandths(const TForm_Main&) { return {48795, 1000}; }
constexpr int kBoundCodes[] = {-32769, -32768, -1, 0, 32767, 32768, 65535, 65536};

struct BoundCase {
  EditorDecl row;
  EditorInput in;
  std::optional<int> posted;  // the word; nothing: refused
  const char* message = nullptr;
};

EditorInput Typed(const char* text) {
  EditorInput in;
  in.text = QString::fromLatin1(text);
  return in;
}
EditorInput Chosen(int index) {
  EditorInput in;
  in.index = index;
  return in;
}
EditorInput Pressed(bool checkedBefore) {
  EditorInput in;
  in.checkedBefore = checkedBefore;
  return in;
}

std::vector<BoundCase> BoundCases(bool sgn) {
  const auto edit = [sgn](TextRule rule) {
    const EditorDecl r = Edit("Edit_Probe", 700, rule, "Label_Probe");
    return sgn ? r.Signed() : r;
  };
  const auto same = [sgn](EditorDecl r) { return sgn ? r.Signed() : r; };
  const EditorDecl hooked = same(Edit("Edit_Probe", 700, X10, "Label_Probe").Value(NegatedScaled));
  const EditorDecl where = same(Edit("Edit_Probe", 0, X100, "Label_Probe").Where(Thousandths));
  const EditorDecl coded = same(Combo("Combo_Probe", 700, "Label_Probe").Codes(kBoundCodes));
  const EditorDecl offset = same(Combo("Combo_Probe", 700, "Label_Probe").Offset(-1));
  const auto radio = [&](int value) { return same(Radio("Radio_Probe", 700, 6, value)); };
  const auto check = [&](int on, int off) { return same(Check("Check_Probe", 700, 6, on, off)); };
  const EditorDecl button = same(Button("Btn_Probe", 700, 6, 0).Source("Edit_Probe").Value(NegatedSource));

  const char* x10 = sgn ? "Out of range: the value must lie from -3276.8 to 3276.7"
                        : "Out of range: the value must lie from 0.0 to 6553.5";
  const char* x100 = sgn ? "Out of range: the value must lie from -327.68 to 327.67"
                         : "Out of range: the value must lie from 0.00 to 655.35";
  const char* x1000 = sgn ? "Out of range: the value must lie from -32.768 to 32.767"
                          : "Out of range: the value must lie from 0.000 to 65.535";
  const char* whole = sgn ? "Out of range: the value must lie from -32768 to 32767"
                          : "Out of range: the value must lie from 0 to 65535";
  if (sgn) {
    return {
        {edit(X10), Typed("-3276.8"), 0x8000},     {edit(X10), Typed("-3276.9"), std::nullopt, x10},
        {edit(X10), Typed("3276.7"), 0x7FFF},      {edit(X10), Typed("3276.8"), std::nullopt, x10},
        {edit(X100), Typed("-327.68"), 0x8000},    {edit(X100), Typed("-327.69"), std::nullopt, x100},
        {edit(X100), Typed("327.67"), 0x7FFF},     {edit(X100), Typed("327.68"), std::nullopt, x100},
        {edit(X1000), Typed("-32.768"), 0x8000},   {edit(X1000), Typed("-32.769"), std::nullopt, x1000},
        {edit(X1000), Typed("32.767"), 0x7FFF},    {edit(X1000), Typed("32.768"), std::nullopt, x1000},
        {edit(SafeInt), Typed("-32768"), 0x8000},  {edit(SafeInt), Typed("-32769"), std::nullopt, whole},
        {edit(SafeInt), Typed("0x7FFF"), 0x7FFF},  {edit(SafeInt), Typed("0x8000"), std::nullopt, whole},
        {edit(StrictInt), Typed("-32768"), 0x8000}, {edit(StrictInt), Typed("-32769"), std::nullopt, whole},
        {edit(StrictInt), Typed("32767"), 0x7FFF}, {edit(StrictInt), Typed("32768"), std::nullopt, whole},
        {hooked, Typed("3276.8"), 0x8000},         {hooked, Typed("3276.9"), std::nullopt, x10},
        {hooked, Typed("-3276.7"), 0x7FFF},        {hooked, Typed("-3276.8"), std::nullopt, x10},
        {where, Typed("-32.768"), 0x8000},         {where, Typed("-32.769"), std::nullopt, x1000},
        {where, Typed("32.767"), 0x7FFF},          {where, Typed("32.768"), std::nullopt, x1000},
        {coded, Chosen(0), std::nullopt, whole},   {coded, Chosen(1), 0x8000},
        {coded, Chosen(4), 0x7FFF},                {coded, Chosen(5), std::nullopt, whole},
        {offset, Chosen(0), 0xFFFF},               {offset, Chosen(32768), 0x7FFF},
        {offset, Chosen(32769), std::nullopt, whole},
        {radio(-32768), {}, 0x8000},               {radio(-32769), {}, std::nullopt, whole},
        {radio(32767), {}, 0x7FFF},                {radio(32768), {}, std::nullopt, whole},
        {check(-32768, 32768), Pressed(true), 0x8000},
        {check(-32768, 32768), Pressed(false), std::nullopt, whole},
        {button, Typed("32768"), 0x8000},          {button, Typed("32769"), std::nullopt, whole},
        {button, Typed("-32767"), 0x7FFF},         {button, Typed("-32768"), std::nullopt, whole},
    };
  }
  return {
      {edit(X10), Typed("0"), 0},               {edit(X10), Typed("-0.1"), std::nullopt, x10},
      {edit(X10), Typed("6553.5"), 0xFFFF},     {edit(X10), Typed("6553.6"), std::nullopt, x10},
      {edit(X100), Typed("0"), 0},              {edit(X100), Typed("-0.01"), std::nullopt, x100},
      {edit(X100), Typed("655.35"), 0xFFFF},    {edit(X100), Typed("655.36"), std::nullopt, x100},
      {edit(X1000), Typed("0"), 0},             {edit(X1000), Typed("-0.001"), std::nullopt, x1000},
      {edit(X1000), Typed("65.535"), 0xFFFF},   {edit(X1000), Typed("65.536"), std::nullopt, x1000},
      {edit(SafeInt), Typed("0"), 0},           {edit(SafeInt), Typed("-1"), std::nullopt, whole},
      {edit(SafeInt), Typed("0xFFFF"), 0xFFFF}, {edit(SafeInt), Typed("0x10000"), std::nullopt, whole},
      {edit(SafeInt), Typed("0xFFFFFFFF"), std::nullopt, whole},  // -1
      {edit(StrictInt), Typed("0"), 0},         {edit(StrictInt), Typed("-1"), std::nullopt, whole},
      {edit(StrictInt), Typed("65535"), 0xFFFF}, {edit(StrictInt), Typed("65536"), std::nullopt, whole},
      {hooked, Typed("-6553.5"), 0xFFFF},       {hooked, Typed("-6553.6"), std::nullopt, x10},
      {hooked, Typed("0"), 0},                  {hooked, Typed("0.1"), std::nullopt, x10},
      {where, Typed("0"), 0},                   {where, Typed("-0.001"), std::nullopt, x1000},
      {where, Typed("65.535"), 0xFFFF},         {where, Typed("65.536"), std::nullopt, x1000},
      {coded, Chosen(2), std::nullopt, whole},  {coded, Chosen(3), 0},
      {coded, Chosen(6), 0xFFFF},               {coded, Chosen(7), std::nullopt, whole},
      {offset, Chosen(0), std::nullopt, whole}, {offset, Chosen(1), 0},
      {offset, Chosen(65536), 0xFFFF},          {offset, Chosen(65537), std::nullopt, whole},
      {radio(0), {}, 0},                        {radio(-1), {}, std::nullopt, whole},
      {radio(0xFF00), {}, 0xFF00},              {radio(65536), {}, std::nullopt, whole},
      {check(0xFFFF, -1), Pressed(true), 0xFFFF},
      {check(0xFFFF, -1), Pressed(false), std::nullopt, whole},
      {button, Typed("0"), 0},                  {button, Typed("1"), std::nullopt, whole},
      {button, Typed("-65535"), 0xFFFF},        {button, Typed("-65536"), std::nullopt, whole},
  };
}

TEST_F(EditorValues, EveryRowKindIsHeldToItsRegistersBounds) {
  for (const bool sgn : {false, true}) {
    for (const BoundCase& c : BoundCases(sgn)) {
      const std::string what = std::string(c.row.control) + (sgn ? " signed " : " unsigned ") +
                               c.in.text.toStdString() + " #" + std::to_string(c.in.index) + " " +
                               std::to_string(c.row.fixed);
      w.Link.CmdCode = 0;
      const qsizetype before = t.dialogs.messages.size();
      const int result = CommitEditor(w, c.row, c.in);
      if (c.posted) {
        EXPECT_EQ(result, 0) << what;
        EXPECT_EQ(w.Link.CmdCode, c.row.code) << what;
        EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue), *c.posted) << what;
        EXPECT_EQ(t.dialogs.messages.size(), before) << what;
      } else {
        EXPECT_EQ(result, 1) << what;
        EXPECT_EQ(w.Link.CmdCode, 0) << what;
        ASSERT_EQ(t.dialogs.messages.size(), before + 1) << what;
        EXPECT_EQ(t.dialogs.messages.last(), c.message) << what;
      }
    }
  }
}

// Numbers that no register holds, whatever their size or spelling, are
// refused by every kind of text row with the range the row takes (or its own
// words), and nothing overflows on the way: the sign rule on "Cap" negates
// what was typed, and the sanitizer build aborts on a signed overflow. A
// clamp writes its limit for a finite number above it, as for any.
TEST_F(EditorValues, HugeAndNonFiniteNumbersAreRefusedWithTheRowsRange) {
  w.show();  // the sign choosers scroll only once laid out
  t.ShowPanel("Group_ReactivePower");
  reactivetest::ScrollChooser(w, "List_CosRange", reactivetest::kCap);
  reactivetest::ScrollChooser(w, "List_FixKvar", reactivetest::kCap);
  w.IsSuperUser = 1;
  w.PowerMul = 10;
  struct Row {
    const char* edit;
    const char* label;
    const char* message;
    std::optional<int> highPosts;  // a clamp: what a finite number above its limit writes
  };
  const Row rows[] = {
      {"Edit_UHighOFF", "Label_UHighOFF", "Out of range: the value must lie from 0.0 to 6553.5"},
      {"Edit_FixCos", "Label_FixCos", "Out of range: the value must lie from -327.68 to 327.67"},
      {"Edit_FixKvar", "Label_FixKvar", "Out of range: the value must lie from -32768 to 32767"},
      {"Edit_RLimit", "Label_RLimit", "Out of range: the value must lie from 0 to 65535"},
      {"Edit_PROFRGradient", "Label_PROFRGradient", "Out of range: the value must lie from 0 to 65535"},
      {"Edit_PF_ReocveryTime", "Label_PF_ReocveryTime", "Out of range: the value must lie from 0.00 to 600.00"},
      {"Edit_FHighOFFSlowTime", "Label_FHighOFFSlowTime", "Out of range: the value must lie from 0.00 to 600.00",
       60000},
      {"Edit_JapAPP", "Label_JapAPP", "Please input 0~100"},
      {"Edit_FanDuty", "Label_FanDuty", "Fan duty: enter 0 to 255"},
      {"Edit_Relay1Temp1", "Label_Relay1Temp1", "Out of range: the value must lie from -3276.8 to 3276.7"},
      {"Edit_MaxPower", "Label_MaxPower", "Out of range: the power must lie from 0 to 655350 W"},
      {"Edit_LifeEnergy", "Label_TotalWh", "Out of range: the value must lie from 0.0 to 429496729.5"},
  };
  const char* const finiteHigh[] = {"1e300", "99999999999999999999"};
  const char* const refusedEverywhere[] = {"-1e300", "-99999999999999999999", "inf", "-inf", "nan",
                                           "1e309", "-1e309", "Infinity"};
  for (const Row& r : rows) {
    for (const char* typed : refusedEverywhere)
      settingstest::ExpectRefused(t, {{r.edit, typed, r.label, r.message}});
    for (const char* typed : finiteHigh) {
      if (!r.highPosts) {
        settingstest::ExpectRefused(t, {{r.edit, typed, r.label, r.message}});
        continue;
      }
      w.Link.CmdCode = 0;
      settingstest::Commit(w, r.edit, typed);
      EXPECT_EQ(w.Link.CmdCode, 6) << r.edit << " " << typed;
      EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue), *r.highPosts) << r.edit << " " << typed;
    }
  }
}

// The editors of the registers that hold signed words, and only they, are
// held to -32768..32767; every other editor to 0..65535.
TEST(EditorTables, EachRowHasItsRegistersSignedness) {
  std::set<std::string> expected = {
      "Edit_FixCos", "Edit_FixKvar", "Edit_KvarUp", "Edit_KvarLow", "Edit_CosUp", "Edit_CosLow",
      "Edit_PowerUp", "Edit_PowerLow", "Edit_ExtendCosphiP_SetPoint", "Edit_QofP_SetPoint",
      "Edit_ConstQ_Percent", "Edit_QP_Q_Upper", "Edit_QP_Q_Lower", "Edit_QP_Upper_Limit", "Edit_QP_Lower_Limit",
      "Edit_QU_Upper_Limit", "Edit_QU_Lower_Limit", "Edit_QU_P_Lock_in", "Edit_QU_P_Lock_out",
      "Edit_CosphiOfU_UpperLimit", "Edit_CosphiOfU_LowerLimit", "Edit_PowerManage", "Edit_Relay1Temp1",
  };
  for (int n = 1; n <= 8; ++n) {
    expected.insert("Edit_ExtendCosphiP_P" + std::to_string(n));
    expected.insert("Edit_ExtendCosphiP_CosP" + std::to_string(n));
  }
  for (int n = 0; n <= 9; ++n) {
    expected.insert("Edit_QofP_P" + std::to_string(n));
    expected.insert("Edit_QofP_Q" + std::to_string(n));
  }
  std::set<std::string> marked;
  for (const auto& table : SettingsEditorTables())
    for (const EditorDecl& row : table)
      if (row.signedWord) marked.insert(row.control);
  EXPECT_EQ(marked, expected);
}

TEST(WordText, FormatsTablesAndUnits) {
  constexpr CodeText kModes[] = {{0, "OFF"}, {3, "ON"}};
  struct Case {
    WordRead row;
    uint16_t word;
    std::optional<QString> text;
  };
  const Case cases[] = {
      {Word(0, "L", Show::Deci, " V"), 2300, "230.0 V"},
      {Word(0, "L", Show::Centi, " Sec"), 20, "0.20 Sec"},
      {Word(0, "L", Show::Centi, " Hz"), 5150, "51.50 Hz"},
      {Word(0, "L", Show::Milli), 950, "0.950"},
      {Word(0, "L", Show::Decimal, "V"), 65535, "65535V"},
      {Word(0, "L", Show::Deci, " V"), 65535, "6553.5 V"},
      {Word(0, "L", Show::Decimal).Texts(kModes), 3, "ON"},
      {Word(0, "L", Show::Decimal).Texts(kModes), 2, std::nullopt},  // kept
      {Word(0, "L", Show::Decimal).Texts(kModes, ""), 2, ""},        // emptied
      {Word(0, "L", Show::Decimal).Texts(kModes, "ON"), 9, "ON"},
      {Word(0, "L", Show::Decimal).Texts(kModes).Mask(7), 0x000B, "ON"},  // low three bits
      {Word(0, "L", Show::Clear), 7, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(WordText(nullptr, c.row, c.word), c.text) << c.word;
}

// An edit, its label, a radio pair, a check box, a combo and a button in the
// main window, each bound to its commit event.
struct Editors : polltest::ViewTest {
  static constexpr EditorDecl kRows[] = {
      Edit("Edit_Probe", 33552, X10, "Label_Probe", "Max: 276V"),
      Edit("Edit_Strict", 33553, StrictInt, "Label_Probe"),
  };
  QLineEdit* edit = new QLineEdit(&w);
  QLineEdit* strict = new QLineEdit(&w);
  ValueLabel* label = new ValueLabel(&w);
  QWidget* pair = new QWidget(&w);  // the radios exclude only each other
  QRadioButton* on = new QRadioButton(pair);
  QRadioButton* off = new QRadioButton(pair);
  QCheckBox* check = new QCheckBox(&w);
  QComboBox* combo = new QComboBox(&w);
  QPushButton* button = new QPushButton(&w);
  std::vector<bool> radioPresses;
  std::vector<bool> checkPresses;
  std::vector<int> choices;
  int clicks = 0;

  void SetUp() override {
    edit->setObjectName("Edit_Probe");
    strict->setObjectName("Edit_Strict");
    label->setObjectName("Label_Probe");
    for (QWidget* c : std::initializer_list<QWidget*>{edit, strict, label, on, off, check, combo, button}) {
      c->resize(60, 20);
      w.RegisterControl(c);
    }
    label->show("230.0 V", clBlue);
    BindEditors(w, kRows);
    OnMouseDown(on, [this](bool before) { radioPresses.push_back(before); });
    OnMouseDown(check, [this](bool before) { checkPresses.push_back(before); });
    combo->addItems({"A", "B", "C"});
    OnUserChoice(combo, [this](int i) { choices.push_back(i); });
    OnClick(button, [this] { ++clicks; });
  }
};

TEST_F(Editors, EditCommitsOnReturnAndKeypadEnterOnly) {
  EXPECT_EQ(edit->toolTip(), "Max: 276V");
  edit->setText("276");
  for (int key : {Qt::Key_A, Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Space}) input::KeyClick(edit, key);
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(label->fontColor(), clBlue);

  input::KeyClick(edit, Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(w.Link.CmdRegister, 33552);
  EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue), 2760);
  EXPECT_EQ(label->fontColor(), clRed);
  EXPECT_EQ(label->text(), "230.0 V");  // the text waits for the read-back
  EXPECT_EQ(edit->text(), "276");       // left as typed

  w.Link.CmdCode = 0;
  edit->setText("0.29");
  input::KeyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(w.Link.CmdValue, 2);  // 0.29 x 10
}

TEST_F(Editors, LaterEditOverwritesThePendingOne) {
  edit->setText("276");
  input::KeyClick(edit, Qt::Key_Return);
  strict->setText("7");
  input::KeyClick(strict, Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdRegister, 33553);
  EXPECT_EQ(w.Link.CmdValue, 7);
}

TEST_F(Editors, RefusedStrictTextPostsNothingAndLeavesTheLabel) {
  strict->setText("abc");
  input::KeyClick(strict, Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(label->fontColor(), clBlue);
  EXPECT_EQ(t.dialogs.messages, QStringList{"'abc' is not a valid integer value"});
}

TEST_F(Editors, ButtonsCommitOnMouseDownWithTheStateBeforeIt) {
  on->setText("ON");
  off->setText("OFF");
  check->setText("ON");
  // A view painting the state commits nothing.
  on->setChecked(true);
  off->setChecked(true);
  ASSERT_FALSE(on->isChecked());
  check->setChecked(true);
  check->setChecked(false);
  EXPECT_TRUE(radioPresses.empty());
  EXPECT_TRUE(checkPresses.empty());

  input::MouseClick(on);                  // unchecked before the press
  input::MouseClick(on, Qt::RightButton);  // already checked: commits again
  EXPECT_EQ(radioPresses, (std::vector<bool>{false, true}));
  EXPECT_TRUE(on->isChecked());

  input::MouseClick(check);
  input::MouseClick(check);
  EXPECT_EQ(checkPresses, (std::vector<bool>{false, true}));
  EXPECT_FALSE(check->isChecked());

  input::KeyClick(check, Qt::Key_Space);  // the keyboard toggles without committing
  EXPECT_TRUE(check->isChecked());
  EXPECT_EQ(checkPresses.size(), 2u);
}

TEST_F(Editors, ComboCommitsOnTheUsersChoiceAndButtonOnClick) {
  combo->setCurrentIndex(2);  // a read-back
  EXPECT_TRUE(choices.empty());
  combo->setCurrentIndex(0);
  input::KeyClick(combo, Qt::Key_Down);
  EXPECT_EQ(choices, std::vector<int>{1});

  input::MouseClick(button);
  EXPECT_EQ(clicks, 1);
}

// Every row kind posted through its control, with the hooks a row can carry.
int afterCalls = 0;
bool gateOpen = true;
constexpr int kCodes[] = {0, 7, 28};
std::optional<Posting> Doubled(TForm_Main&, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int64_t> v = TextValue(ValueRule::SafeInt, 1, in.text);
  if (!v) return std::nullopt;
  return Posting{row.reg, 36, *v * 2, *v};
}
RegisterScale FineOrCoarse(const TForm_Main& f) { return f.CosPhiSet == 1 ? RegisterScale{48795, 1000} : RegisterScale{33617, 100}; }
bool Gate(TForm_Main&) { return gateOpen; }
void After(TForm_Main&, const EditorDecl&) { ++afterCalls; }

struct RowKinds : polltest::ViewTest {
  static constexpr EditorDecl kRows[] = {
      Combo("Combo_Coded", 797, "Label_A").Codes(kCodes),
      Combo("Combo_Offset", 33821, "Label_A").Offset(2),
      Radio("Radio_On", 24641, 5, kCoilOn),
      Check("Check_Box", 825, 6, 0xFFFF, 1024).After(After),
      Button("Btn_Send", 0, 311, 0).Source("Edit_Source").Value(Doubled).Label2("Label_B"),
      Edit("Edit_Cos", 0, X100, "Label_A").Where(FineOrCoarse).Gate(Gate),
  };
  QComboBox* coded = new QComboBox(&w);
  QComboBox* offset = new QComboBox(&w);
  QRadioButton* on = new QRadioButton(&w);
  QCheckBox* check = new QCheckBox(&w);
  QPushButton* send = new QPushButton(&w);
  QLineEdit* source = new QLineEdit(&w);
  QLineEdit* cos = new QLineEdit(&w);
  ValueLabel* a = new ValueLabel(&w);
  ValueLabel* b = new ValueLabel(&w);

  void SetUp() override {
    const std::pair<QWidget*, const char*> named[] = {
        {coded, "Combo_Coded"}, {offset, "Combo_Offset"}, {on, "Radio_On"},    {check, "Check_Box"},
        {send, "Btn_Send"},     {source, "Edit_Source"},  {cos, "Edit_Cos"},   {a, "Label_A"},
        {b, "Label_B"}};
    for (auto [c, name] : named) {
      c->setObjectName(name);
      c->resize(60, 20);
      w.RegisterControl(c);
    }
    coded->addItems({"A", "B", "C"});
    offset->addItems({"9600", "19200", "38400"});
    BindEditors(w, kRows);
    afterCalls = 0;
    gateOpen = true;
  }
  void Expect(int code, int reg, int value, int value2 = 0) {
    EXPECT_EQ(w.Link.CmdCode, code);
    EXPECT_EQ(w.Link.CmdRegister, reg);
    EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue), value);
    EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue2), value2);
    w.Link.CmdCode = 0;
  }
};

TEST_F(RowKinds, EachKindPostsItsValue) {
  coded->setCurrentIndex(0);
  input::KeyClick(coded, Qt::Key_Down);  // item 1 is code 7
  Expect(6, 797, 7);
  EXPECT_EQ(a->fontColor(), clRed);

  offset->setCurrentIndex(1);
  input::KeyClick(offset, Qt::Key_Down);  // "38400" writes 4
  Expect(6, 33821, 4);

  input::MouseClick(on);
  Expect(5, 24641, 0xFF00);

  input::MouseClick(check);  // clear before: switching on
  Expect(6, 825, 1024);
  input::MouseClick(check);  // checked before: switching off
  Expect(6, 825, 0xFFFF);
  EXPECT_EQ(afterCalls, 2);

  source->setText("300");
  b->show("x", clBlue);
  input::MouseClick(send);
  Expect(36, 0, 600, 300);
  EXPECT_EQ(b->fontColor(), clRed);
  source->setText("40000");  // doubled it would wrap: refused
  input::MouseClick(send);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(RowKinds, RegisterAndScaleFollowTheOptionAndTheGateCanEndTheCommit) {
  cos->setText("0.95");
  w.CosPhiSet = 0;
  input::KeyClick(cos, Qt::Key_Return);
  Expect(6, 33617, 95);
  w.CosPhiSet = 1;
  input::KeyClick(cos, Qt::Key_Return);
  Expect(6, 48795, 950);
  gateOpen = false;
  input::KeyClick(cos, Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(RowKinds, TypedComboTextThatNamesNoItemPostsNothing) {
  coded->setEditable(true);
  coded->setInsertPolicy(QComboBox::NoInsert);
  coded->setCurrentIndex(0);
  coded->lineEdit()->setText("Z");
  input::KeyClick(coded->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdCode, 0);
  coded->lineEdit()->setText("C");
  input::KeyClick(coded->lineEdit(), Qt::Key_Return);
  Expect(6, 797, 28);
}

}  // namespace

namespace {

// A block's own step for an unusable reply, beside the one for a used reply.
int usedCalls = 0;
int unusableCalls = 0;
int unusableResult = 0;
int Used(Modbus*) { return ++usedCalls, 0; }
int Unusable(Modbus*) { return ++unusableCalls, unusableResult; }
constexpr ReadBlock kProbeBlocks[] = {Read(3, 100, 1, {}).Then(Used).Otherwise(Unusable), Read(3, 200, 1, {})};
constexpr ReadView kProbeView{"Group_Version", "Probe...", kProbeBlocks};

struct ViewProbe : polltest::ViewTest {};
TEST_F(ViewProbe, UnusableReplyRunsTheBlocksOtherwiseStep) {
  t.ShowPanel("Group_Version");
  ASSERT_EQ(RunReadView(&w.Link, 0, kProbeView), 0);
  EXPECT_EQ(usedCalls, 1);
  EXPECT_EQ(unusableCalls, 0);

  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(RunReadView(&w.Link, 0, kProbeView), 0);
  EXPECT_EQ(usedCalls, 1);
  EXPECT_EQ(unusableCalls, 1);
  EXPECT_EQ(t.Frames().size(), 4u);  // the next block goes on

  // Its failure on the link ends the view.
  unusableResult = 1;
  t.sim.ClearFrames();
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  EXPECT_EQ(RunReadView(&w.Link, 0, kProbeView), 1);
  EXPECT_EQ(t.Frames().size(), 1u);
}

}  // namespace
