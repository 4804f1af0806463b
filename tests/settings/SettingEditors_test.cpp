#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <optional>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "settings/SettingEditors.h"
#include "support/PollFixture.h"
#include "support/UserInput.h"

namespace {

EditDecl Row(ValueRule rule, int factor, RangeRule range = {}) {
  return {"Edit_Probe", 700, 6, rule, factor, "Label_Probe", "Max: 1", range};
}

struct ValueCase {
  const char* text;
  ValueRule rule;
  int factor;
  RangeRule range;
  std::optional<int> expected;  // nothing: no command
};

TEST(EditValue, ValueAndRangeRules) {
  FakeDialogs dialogs;
  const std::vector<ValueCase> cases = {
      {"276", ValueRule::Scaled, 10, {}, 2760},
      {"0.29", ValueRule::Scaled, 100, {}, 29},  // the nudge keeps it from 28
      {"-0.5", ValueRule::Scaled, 100, {}, 0xFFCE},
      {"-3.3", ValueRule::Scaled, 10, {}, 0xFFDF},
      // Beyond a 16-bit word the low bits would be another value: nothing posted.
      {"7000", ValueRule::Scaled, 10, {}, std::nullopt},
      {"6553.5", ValueRule::Scaled, 10, {}, 65535},
      {"-3276.8", ValueRule::Scaled, 10, {}, 0x8000},
      {"-3276.9", ValueRule::Scaled, 10, {}, std::nullopt},
      {"", ValueRule::Scaled, 10, {}, 0},
      {"abc", ValueRule::Scaled, 100, {}, 0},
      {"253.05", ValueRule::Scaled, 10, {}, 2530},  // truncated, never rounded
      {"1e300", ValueRule::Scaled, 1000, {}, std::nullopt},  // beyond 64 bits too
      {"-1e300", ValueRule::Scaled, 1000, {}, std::nullopt},
      {"0x10", ValueRule::SafeInt, 1, {}, 16},
      {"abc", ValueRule::SafeInt, 1, {}, 0},
      {"70000", ValueRule::SafeInt, 1, {}, std::nullopt},
      {"0xFFFF", ValueRule::SafeInt, 1, {}, 0xFFFF},
      {"0xFFFFFFFF", ValueRule::SafeInt, 1, {}, 0xFFFF},  // -1
      {"-1", ValueRule::Strict, 1, {}, 0xFFFF},
      {"$1F", ValueRule::Strict, 1, {}, 31},
      {"abc", ValueRule::Strict, 1, {}, std::nullopt},
      {"", ValueRule::Strict, 1, {}, std::nullopt},
      {"2.5", ValueRule::Strict, 1, {}, std::nullopt},
      // Clamps on the full integer, before the 16-bit cut.
      {"700", ValueRule::Scaled, 100, {RangeForm::ClampAbove, 0, 60000}, 60000},
      {"5", ValueRule::Scaled, 100, {RangeForm::ClampAbove, 0, 60000}, 500},
      {"1e300", ValueRule::Scaled, 100, {RangeForm::ClampAbove, 0, 60000}, 60000},
      {"40", ValueRule::Scaled, 100, {RangeForm::ClampBelow, 4500, 0}, 4500},
      // Clamps on the stored word read as signed.
      {"65.5", ValueRule::Scaled, 100, {RangeForm::ClampAboveStored, 0, 6500}, 6500},
      {"400", ValueRule::Scaled, 100, {RangeForm::ClampAboveStored, 0, 6500}, 40000},
      {"400", ValueRule::Scaled, 100, {RangeForm::ClampBelowStored, 4500, 0}, 4500},
      {"1000", ValueRule::Scaled, 100, {RangeForm::ClampBelowStored, 4500, 0}, 4500},  // 100000: clamped, no wrap
      {"50", ValueRule::Scaled, 100, {RangeForm::ClampBelowStored, 4500, 0}, 5000},
      // Drop and refuse post nothing outside the range, and the limits pass.
      {"11", ValueRule::SafeInt, 1, {RangeForm::Drop, 0, 10}, std::nullopt},
      {"10", ValueRule::SafeInt, 1, {RangeForm::Drop, 0, 10}, 10},
      {"-1", ValueRule::SafeInt, 1, {RangeForm::Refuse, 0, 10, "Range: 0 - 10"}, std::nullopt},
      {"0", ValueRule::SafeInt, 1, {RangeForm::Refuse, 0, 10, "Range: 0 - 10"}, 0},
  };
  for (const ValueCase& c : cases) {
    const std::optional<uint16_t> v = EditValue(Row(c.rule, c.factor, c.range), QString::fromLatin1(c.text));
    if (c.expected) {
      ASSERT_TRUE(v.has_value()) << c.text;
      EXPECT_EQ(*v, *c.expected) << c.text;
    } else {
      EXPECT_FALSE(v.has_value()) << c.text;
    }
  }
  // The strict rule's three refusals and the refusing range each said why.
  ASSERT_EQ(dialogs.messages.size(), 4);
  EXPECT_EQ(dialogs.messages[0], "'abc' is not a valid integer value");
  EXPECT_EQ(dialogs.messages[3], "Range: 0 - 10");
}

TEST(WordText, FormatsAndUnits) {
  EXPECT_EQ(WordText(2300, WordFormat::Deci, " V"), "230.0 V");
  EXPECT_EQ(WordText(20, WordFormat::Centi, " Sec"), "0.20 Sec");
  EXPECT_EQ(WordText(5150, WordFormat::Centi, " Hz"), "51.50 Hz");
  EXPECT_EQ(WordText(950, WordFormat::Milli, nullptr), "0.950");
  EXPECT_EQ(WordText(65535, WordFormat::Decimal, "V"), "65535V");
  EXPECT_EQ(WordText(65535, WordFormat::Deci, " V"), "6553.5 V");
}

// An edit, its label, a radio pair, a check box, a combo and a button in the
// main window, each bound to its commit event.
struct Editors : polltest::ViewTest {
  static constexpr EditDecl kRows[] = {
      {"Edit_Probe", 33552, 6, ValueRule::Scaled, 10, "Label_Probe", "Max: 276V"},
      {"Edit_Strict", 33553, 6, ValueRule::Strict, 1, "Label_Probe", nullptr},
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
    BindEdits(w, kRows);
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

}  // namespace
