#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/Executor.h"
#include "link/Modbus.h"
#include "monitor/UserPollView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::ControlAs;
using polltest::Paint;
using polltest::Rtu;
using polltest::Text;

namespace {

constexpr int kCoil = 0, kIR = 1, kHR = 2, kNone = -1;

struct UserPollView : polltest::ViewTest {
  static QString Suffix(int list, int row) { return QString::number(list) + QString::number(row); }
  static QString ValueName(int list, int row) { return "Label_PollVal" + Suffix(list, row); }
  void SetRow(int list, int row, const QString& address, int type) {
    ControlAs<QLineEdit>(w, "Edit_PollAddr" + Suffix(list, row)).setText(address);
    ControlAs<QComboBox>(w, "Combo_PollType" + Suffix(list, row)).setCurrentIndex(type);
  }
};

struct List {
  int (*poll)(Modbus*, uint8_t);
  const char* panel;
  const char* status;
  const char *hr, *ir;  // the same two words as each list shows them
};
constexpr List kLists[] = {
    {PollUser01, "Group_Poll01", "Poll01...", "65534", "23041"},
    {PollUser02, "Group_Poll02", "Poll02...", "65534", "23041"},
    {PollUser03, "Group_Poll03", "Poll03...", "-2", "23041"},
    {PollUser04, "Group_Poll04", "Poll04...", "FFFE", "5A01"},
};

}  // namespace

TEST_F(UserPollView, EachListReadsItsRowsInItsOwnNotation) {
  t.sim.SetHolding(1, 0x6100, 0xFFFE);
  t.sim.SetInput(1, 1234, 0x5A01);
  t.sim.SetCoil(1, 17, true);
  t.sim.SetCoil(1, 18, false);
  for (int list = 0; list < 4; ++list) {
    const List& l = kLists[list];
    SCOPED_TRACE(l.panel);
    t.ShowPanel(l.panel);
    SetRow(list, 1, "0x6100", kHR);
    SetRow(list, 2, "1234", kIR);
    SetRow(list, 3, "17", kCoil);
    SetRow(list, 4, "1234", kNone);   // no type: idle
    SetRow(list, 5, "", kHR);         // no address: idle
    SetRow(list, 6, "0", kHR);
    SetRow(list, 7, "-5", kIR);
    SetRow(list, 8, "abc", kIR);
    SetRow(list, 9, "70000", kHR);    // past the last register: idle, not register 4464
    SetRow(list, 10, " 18", kCoil);
    t.sim.ClearFrames();

    ASSERT_EQ(l.poll(&w.Link, 0), 0);

    EXPECT_EQ(t.Frames(), (std::vector<QString>{
                              Rtu({1, 3, 0x60, 0xFF, 0, 1}),
                              Rtu({1, 4, 0x04, 0xD1, 0, 1}),
                              Rtu({1, 1, 0x00, 0x10, 0, 1}),
                              Rtu({1, 1, 0x00, 0x11, 0, 1}),
                          }));
    EXPECT_EQ(w.StatusText(2), l.status);
    EXPECT_EQ(Text(w, ValueName(list, 1)), l.hr);
    EXPECT_EQ(Text(w, ValueName(list, 2)), l.ir);
    EXPECT_EQ(Text(w, ValueName(list, 3)), "1");
    EXPECT_EQ(Text(w, ValueName(list, 10)), "0");
    for (int row : {1, 2, 3, 10}) EXPECT_EQ(Colour(w, ValueName(list, row)), clBlue) << row;
    for (int row = 4; row <= 9; ++row) EXPECT_EQ(Text(w, ValueName(list, row)), "??") << row;
    t.ShowPanel(l.panel, false);
  }
}

TEST_F(UserPollView, UnusableReplyShowsErrorInBlue) {
  t.ShowPanel("Group_Poll03");
  t.sim.SetHolding(1, 100, 7);
  SetRow(2, 1, "100", kHR);
  SetRow(2, 2, "100", kHR);
  SetRow(2, 3, "100", kHR);
  Paint(w, ValueName(2, 1), "12", clRed);  // written, not yet read back
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollUser03(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, ValueName(2, 1)), "Error");
  EXPECT_EQ(Colour(w, ValueName(2, 1)), clBlue);
  EXPECT_EQ(Text(w, ValueName(2, 2)), "Error");
  EXPECT_EQ(Text(w, ValueName(2, 3)), "7");
}

TEST_F(UserPollView, CleanAllLeavesTheListIdle) {
  t.ShowPanel("Group_Poll02");
  for (int row = 1; row <= 10; ++row) {
    SetRow(1, row, QString::number(200 + row), kIR);
    ControlAs<QLineEdit>(w, "Edit_PollVal" + Suffix(1, row)).setText("5");
  }
  SetRow(0, 1, "300", kHR);  // another list is not touched
  ControlAs<ValueLabel>(w, ValueName(1, 4)).setText("41");

  ControlAs<QPushButton>(w, "Btn_Poll2CleanAll").click();
  for (int row = 1; row <= 10; ++row) {
    EXPECT_EQ(ControlAs<QLineEdit>(w, "Edit_PollAddr" + Suffix(1, row)).text(), "");
    EXPECT_EQ(ControlAs<QComboBox>(w, "Combo_PollType" + Suffix(1, row)).currentIndex(), -1);
    EXPECT_EQ(ControlAs<QLineEdit>(w, "Edit_PollVal" + Suffix(1, row)).text(), "");
  }
  EXPECT_EQ(Text(w, ValueName(1, 4)), "41");
  EXPECT_EQ(ControlAs<QLineEdit>(w, "Edit_PollAddr01").text(), "300");
  ASSERT_EQ(PollUser02(&w.Link, 0), 0);
  EXPECT_TRUE(t.Frames().empty());
}

TEST(UserPollFunctionCode, TypeIndexToFunction) {
  EXPECT_EQ(UserPollFunctionCode(0), 1);
  EXPECT_EQ(UserPollFunctionCode(1), 4);
  EXPECT_EQ(UserPollFunctionCode(2), 3);
  EXPECT_EQ(UserPollFunctionCode(-1), -1);
  EXPECT_EQ(UserPollFunctionCode(3), -1);
}

TEST_F(UserPollView, GateStopAndFailedRequestEndTheList) {
  SetRow(3, 1, "10", kHR);
  SetRow(3, 2, "11", kHR);
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollUser04, "Group_Poll04"}});
  EXPECT_EQ(Text(w, ValueName(3, 1)), "??");
  EXPECT_EQ(Text(w, ValueName(3, 2)), "??");
}

// Enter in a value edit writes to the row's coil or holding register; the
// list, the row and the number notation of the address play no other part.
TEST_F(UserPollView, ValueEditsWriteCoilsAndHoldingRegisters) {
  SetRow(0, 1, "802", kHR);
  SetRow(1, 2, "24624", kCoil);
  SetRow(2, 3, "0x6100", kHR);
  SetRow(3, 10, "65536", kHR);  // the last register: 0xFFFF on the wire
  SetRow(0, 10, "1", kHR);
  settingstest::ExpectEditorWrites(t, {
      {"Edit_PollVal01", "5", 802, 5, "Label_PollVal01"},
      {"Edit_PollVal01", "65535", 802, 0xFFFF, "Label_PollVal01"},
      {"Edit_PollVal01", "-32768", 802, 0x8000, "Label_PollVal01"},
      {"Edit_PollVal12", "0", 24624, 0, "Label_PollVal12", 5},
      {"Edit_PollVal23", "-2", 0x6100, 0xFFFE, "Label_PollVal23"},
      {"Edit_PollVal23", "0x5A01", 0x6100, 0x5A01, "Label_PollVal23"},
      {"Edit_PollVal310", "7", 65536, 7, "Label_PollVal310"},
      {"Edit_PollVal010", "9", 1, 9, "Label_PollVal010"},
  });
  // A coil's 1 goes out as ON, and so does the 0xFF00 the wire carries for it.
  for (const char* on : {"1", "65280", "0xFF00"}) {
    w.Link.CmdCode = 0;
    t.sim.SetCoil(1, 24624, false);
    settingstest::Commit(w, "Edit_PollVal12", on);
    EXPECT_EQ(w.Link.CmdCode, 5) << on;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0) << on;
    EXPECT_EQ(t.Frames(), std::vector<QString>{settingstest::WriteCoil(24624, 0xFF00)}) << on;
    EXPECT_TRUE(t.sim.Coil(1, 24624)) << on;
  }
}

// A row reads what it writes: the last register, 65536, is 0xFFFF on the
// wire both ways.
TEST_F(UserPollView, TheLastRegisterIsReadAsItIsWritten) {
  t.ShowPanel("Group_Poll04");
  SetRow(3, 1, "65536", kHR);
  SetRow(3, 2, "0x10000", kHR);
  t.sim.SetHolding(1, 65536, 0xABCD);
  t.sim.ClearFrames();
  ASSERT_EQ(PollUser04(&w.Link, 0), 0);
  const QString read = Rtu({1, 3, 0xFF, 0xFF, 0, 1});
  EXPECT_EQ(t.Frames(), (std::vector<QString>{read, read}));
  EXPECT_EQ(Text(w, ValueName(3, 1)), "ABCD");
  EXPECT_EQ(Text(w, ValueName(3, 2)), "ABCD");
  settingstest::Commit(w, "Edit_PollVal31", "0x1234");
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 6, 0xFF, 0xFF, 0x12, 0x34})});
  ASSERT_EQ(PollUser04(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, ValueName(3, 1)), "1234");
}

// A row that cannot be written (input register, no type, no usable address)
// leaves the mailbox and its label alone: a command queued by another editor
// still runs.
TEST_F(UserPollView, RowsThatCannotBeWrittenPostNothing) {
  SetRow(0, 1, "802", kIR);
  SetRow(0, 2, "802", kNone);
  SetRow(0, 3, "0", kHR);
  SetRow(0, 4, "65537", kHR);
  SetRow(0, 5, "abc", kCoil);
  SetRow(0, 6, "", kHR);
  SetRow(0, 7, "-1", kHR);
  for (int row = 1; row <= 7; ++row) {
    PostCommand(w.Link, 6, 803, 7);
    Paint(w, ValueName(0, row), "3", clBlue);
    settingstest::Commit(w, ("Edit_PollVal0" + QString::number(row)).toLatin1().constData(), "5");
    EXPECT_EQ(w.Link.CmdCode, 6) << row;
    EXPECT_EQ(w.Link.CmdRegister, 803) << row;
    EXPECT_EQ(w.Link.CmdValue, 7) << row;
    EXPECT_EQ(Colour(w, ValueName(0, row)), clBlue) << row;
  }
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

TEST_F(UserPollView, ValuesBeyondTheRegisterAreRefused) {
  SetRow(2, 1, "802", kHR);
  SetRow(2, 2, "24624", kCoil);
  settingstest::ExpectRefused(t, {
      {"Edit_PollVal21", "70000", "Label_PollVal21"},  // not 4464
      {"Edit_PollVal21", "-32769", "Label_PollVal21"},
      {"Edit_PollVal21", "abc", "Label_PollVal21"},
      {"Edit_PollVal21", "", "Label_PollVal21"},
      {"Edit_PollVal22", "2", "Label_PollVal22"},
      {"Edit_PollVal22", "0xFF01", "Label_PollVal22"},
      {"Edit_PollVal22", "-1", "Label_PollVal22"},
  });
  EXPECT_EQ(t.dialogs.messages.front(), "Out of range: the value must lie from -32768 to 65535");
  EXPECT_EQ(t.dialogs.messages.back(), "Out of range: a coil takes 0 (OFF), 1 or 65280 (0xFF00) (ON)");
}

TEST_F(UserPollView, WrittenThenReadBackBlue) {
  t.ShowPanel("Group_Poll04");
  t.sim.SetHolding(1, 0x6100, 0x1234);
  SetRow(3, 1, "0x6100", kHR);
  ASSERT_EQ(PollUser04(&w.Link, 0), 0);
  settingstest::Commit(w, "Edit_PollVal31", "0x5A01");
  EXPECT_EQ(Colour(w, ValueName(3, 1)), clRed);
  EXPECT_EQ(Text(w, ValueName(3, 1)), "1234");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;  // as the loop empties the mailbox
  ASSERT_EQ(PollUser04(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, ValueName(3, 1)), "5A01");
  EXPECT_EQ(Colour(w, ValueName(3, 1)), clBlue);
}
