#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/ControlTable.h"
#include "platform/ValueLabel.h"

TEST(ControlTable, DesignStatesFromFlags) {
  static constexpr ControlDecl rows[] = {
      {Kind::Label, "Label_Plain", 0, 0, 50, 16, "Caption", 1},
      {Kind::Label, "Label_Value", 0, 20, 50, 16, "??", 0, kBlue},
      {Kind::Label, "Label_Map", 0, 40, 50, 16, "???", 0, kGreen | kUnderline},
      {Kind::Edit, "Edit_Hidden", 0, 60, 50, 20, "928.9", 0, kHidden},
      {Kind::Button, "Btn_Off", 0, 80, 50, 20, "Close", 0, kDisabled},
      {Kind::Frame, "Panel_Group", 60, 0, 100, 50},
      {Kind::Check, "Check_On", 0, 100, 50, 20, "On", 0, kChecked},
  };
  QWidget parent;
  BuildControls(&parent, rows);

  auto* plain = parent.findChild<ValueLabel*>("Label_Plain");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->fontColor(), clBlack);
  EXPECT_EQ(plain->Tag(), 1);
  EXPECT_EQ(plain->geometry(), QRect(0, 0, 50, 16));
  auto* value = parent.findChild<ValueLabel*>("Label_Value");
  EXPECT_EQ(value->fontColor(), clBlue);
  EXPECT_EQ(value->text(), "??");
  auto* map = parent.findChild<ValueLabel*>("Label_Map");
  EXPECT_EQ(map->fontColor(), clGreen);
  EXPECT_TRUE(map->font().underline());
  auto* edit = parent.findChild<QLineEdit*>("Edit_Hidden");
  EXPECT_TRUE(edit->isHidden());
  EXPECT_EQ(edit->text(), "928.9");
  EXPECT_FALSE(plain->isHidden());
  EXPECT_FALSE(parent.findChild<QPushButton*>("Btn_Off")->isEnabled());
  EXPECT_NE(parent.findChild<QFrame*>("Panel_Group"), nullptr);
  EXPECT_TRUE(parent.findChild<QCheckBox*>("Check_On")->isChecked());

  // Radio buttons in separate frames exclude only their own siblings.
  static constexpr ControlDecl a[] = {{Kind::Radio, "Radio_A1", 0, 0, 50, 20, "A1", 0, kChecked},
                                      {Kind::Radio, "Radio_A2", 0, 20, 50, 20, "A2"}};
  static constexpr ControlDecl b[] = {{Kind::Radio, "Radio_B1", 0, 0, 50, 20, "B1", 0, kChecked}};
  QFrame fa(&parent), fb(&parent);
  BuildControls(&fa, a);
  BuildControls(&fb, b);
  EXPECT_TRUE(parent.findChild<QRadioButton*>("Radio_A1")->isChecked());
  EXPECT_TRUE(parent.findChild<QRadioButton*>("Radio_B1")->isChecked());
  parent.findChild<QRadioButton*>("Radio_A2")->setChecked(true);
  EXPECT_FALSE(parent.findChild<QRadioButton*>("Radio_A1")->isChecked());
  EXPECT_TRUE(parent.findChild<QRadioButton*>("Radio_B1")->isChecked());
}

TEST(ControlTable, ComboItemsFromCaptionNoneChosen) {
  static constexpr ControlDecl rows[] = {
      {Kind::Combo, "Combo_Type", 0, 0, 60, 20, "Coil\nIR\nHR"},
      {Kind::Combo, "Combo_Empty", 0, 20, 60, 20},
  };
  QWidget parent;
  BuildControls(&parent, rows);
  auto* type = parent.findChild<QComboBox*>("Combo_Type");
  ASSERT_NE(type, nullptr);
  ASSERT_EQ(type->count(), 3);
  EXPECT_EQ(type->itemText(0), "Coil");
  EXPECT_EQ(type->itemText(2), "HR");
  EXPECT_EQ(type->currentIndex(), -1);
  EXPECT_EQ(parent.findChild<QComboBox*>("Combo_Empty")->count(), 0);
  EXPECT_FALSE(type->isEditable());
}

// A combo the user types in keeps its items: typed text is never added.
TEST(ControlTable, EditableComboAddsNoTypedItem) {
  static constexpr ControlDecl rows[] = {{Kind::Combo, "Combo_Mode", 0, 0, 60, 20, "Off\nOn", 0, kEditable}};
  QWidget parent;
  BuildControls(&parent, rows);
  auto* mode = parent.findChild<QComboBox*>("Combo_Mode");
  ASSERT_NE(mode, nullptr);
  ASSERT_TRUE(mode->isEditable());
  EXPECT_EQ(mode->insertPolicy(), QComboBox::NoInsert);
  EXPECT_EQ(mode->currentIndex(), -1);
  EXPECT_EQ(mode->currentText(), "");
}

TEST(ControlTable, FrameWithCaptionIsATitledBox) {
  static constexpr ControlDecl rows[] = {
      {Kind::Frame, "GroupBox_Titled", 0, 0, 100, 60, "Uac Protection 2"},
      {Kind::Frame, "Panel_Plain", 0, 60, 100, 60},
  };
  QWidget parent;
  BuildControls(&parent, rows);
  auto* box = parent.findChild<QGroupBox*>("GroupBox_Titled");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "Uac Protection 2");
  EXPECT_EQ(box->geometry(), QRect(0, 0, 100, 60));
  EXPECT_EQ(parent.findChild<QGroupBox*>("Panel_Plain"), nullptr);
  EXPECT_NE(parent.findChild<QFrame*>("Panel_Plain"), nullptr);
}

// A list box: its items from the caption, scrolled one item at a time so that
// a box one row high shows any item in its top row.
TEST(ControlTable, ListItemsFromCaptionScrolledPerItem) {
  static constexpr ControlDecl rows[] = {{Kind::List, "List_Sign", 0, 0, 40, 22, "Ind\nCap"}};
  QWidget parent;
  BuildControls(&parent, rows);
  auto* list = parent.findChild<QListWidget*>("List_Sign");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "Ind");
  EXPECT_EQ(list->item(1)->text(), "Cap");
  EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerItem);
}
