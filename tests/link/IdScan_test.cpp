// The ID probe and scan against the simulated inverter on a pty, the list it
// leaves and the inverter tree.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <vector>

#include "app/FormWait.h"
#include "app/SharedTables.h"
#include "app/main.h"
#include "link/IdScan.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "sim/SimIdProbe.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"
#include "support/NetFixture.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/UserInput.h"

namespace {

QString Sent(const sim::SimFrame& f) { return sim::HexText(f.bytes); }

int ImageOf(QTreeWidgetItem* node) { return node->data(0, kTreeImageRole).toInt(); }

// The main window with its tree root, as the show handler leaves it, and a
// simulated bus whose inverters answer the probe.
class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::AddIdProbe(bus);
    w = std::make_unique<TForm_Main>();
    w->AddTreeRoot();
  }
  void OpenSerial() {
    ASSERT_EQ(w->Link.OpenSerial(bus.PortPath()), 0);
    w->Link.LinkMode = LinkSerial;
  }
  QTreeWidget* Tree() { return w->Ctl<QTreeWidget>("TreeView"); }

  FakeDialogs dialogs;
  sim::SimInverter bus;
  std::unique_ptr<TForm_Main> w;
};

}  // namespace

TEST_F(ScanTest, ProbeFrameAndProductIdFromTheAnswer) {
  FakeLinkUi ui;
  bus.AddSlave(7);
  bus.SetProductId(7, 0x0201);
  OpenSerial();
  Modbus& link = w->Link;
  link.SetBaudIndex(1);
  EXPECT_EQ(link.ProbeSlave(7, 1), 0);
  ASSERT_TRUE(bus.WaitForFrames(1, 1000));
  EXPECT_EQ(Sent(bus.Frames().at(0)), "07 00 FF FF 01 00 " + sim::HexText(sim::WithCrc(sim::Hex("07 00 FF FF 01 00")).right(2)));
  EXPECT_EQ(link.IdPresent[7], 7);
  EXPECT_EQ(link.IdBaudIndex[7], 1);
  EXPECT_EQ(link.IdProductId[7], 513);
  EXPECT_EQ(ui.status[0], "ID: 7");
  EXPECT_EQ(ui.status[3], "1");
  EXPECT_EQ(link.TxCount, 1);

  EXPECT_EQ(link.ProbeSlave(8, 1), 1);  // nobody there
  EXPECT_EQ(link.IdPresent[8], 0);
}

// The probe's wait runs on the line's time: a device thread held up past it,
// as on a busy machine, is still found.
TEST_F(ScanTest, ADeviceHeldUpPastTheWaitIsStillFound) {
  FakeLinkUi ui;
  bus.AddSlave(7);
  bus.SetProductId(7, 0x0201);
  bus.QueueFault(sim::ReplyFault::Stall(600));
  OpenSerial();
  w->Link.SetBaudIndex(1);
  EXPECT_EQ(w->Link.ProbeSlave(7, 1), 0);
  EXPECT_EQ(w->Link.IdProductId[7], 513);
}

TEST_F(ScanTest, OnlyAWholeMatchingAnswerMarksTheIdPresent) {
  bus.AddSlave(7);
  OpenSerial();
  struct Case {
    const char* answer;
    bool present;
  };
  const Case cases[] = {
      {"FF FF 07 00 05 00 01 02 00 00", true},
      {"FF FF 07 00 05 00 01 02 00 00 AA BB", true},  // its CRC is not examined
      {"FF FF 07 00 04 00 01 02 00 00", false},       // byte 4 not 5
      {"FF FF 08 00 05 00 01 02 00 00", false},       // another ID
      {"FF FF 07 00 05 01 01 02 00 00", false},       // byte 5 not 0
      {"FF FF 07 00 05 00 01 02 00", false},          // cut short: no product ID
      {"FF FF 07 00 05 00", false},
  };
  for (const Case& c : cases) {
    w->Link.IdPresent[7] = 0;
    w->Link.IdProductId[7] = 0;
    bus.QueueFault(sim::ReplyFault::Garbage(sim::Hex(c.answer)));
    EXPECT_EQ(w->Link.ProbeSlave(7, 2), c.present ? 0 : 1) << c.answer;
    EXPECT_EQ(w->Link.IdPresent[7], c.present ? 7 : 0) << c.answer;
    EXPECT_EQ(w->Link.IdProductId[7], c.present ? 513 : 0) << c.answer;
  }
}

TEST_F(ScanTest, ProbeOnAClosedPortOrTheWifiLinkIsNoAnswer) {
  bus.AddSlave(7);
  w->Link.LinkMode = LinkSerial;  // never opened
  EXPECT_EQ(w->Link.ProbeSlave(7, 1), 1);
  w->Link.LinkMode = LinkTcp;
  EXPECT_EQ(w->Link.ProbeSlave(7, 1), 1);
  EXPECT_EQ(w->Link.TxCount, 0);
}

TEST_F(ScanTest, ScanAtEverySpeedListsTreesAndSelects) {
  bus.AddSlave(2);
  bus.SetSlaveBaud(2, 9600);
  bus.AddSlave(3);
  bus.SetSlaveBaud(3, 19200);
  bus.AddSlave(5);
  bus.SetSlaveBaud(5, 38400);
  bus.SetProductId(5, kCountryList2ProductId);
  bus.AddSlave(9);  // outside the range
  OpenSerial();
  // A value written to the previous inverter and not read back yet.
  auto* pending = new ValueLabel(w.get());
  pending->show(QStringLiteral("230.0"), clRed);

  w->Ctl<QLineEdit>("Edit_StartID")->setText("1");
  w->Ctl<QLineEdit>("Edit_EndID")->setText("6");
  w->KeepPortOpen = 1;  // the scan runs at once, as from the firmware page
  w->Btn_ScanIDClick();

  // Three speeds, six IDs each, in the speed order 9,600 -> 19,200 -> 38,400.
  const auto frames = bus.Frames();
  ASSERT_EQ(frames.size(), 18u);
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(uint8_t(frames[i].bytes[0]), i % 6 + 1) << i;
  EXPECT_EQ(w->InverterList.Count, 3);
  EXPECT_EQ(w->InverterList.Ids[0], 2);
  EXPECT_EQ(w->InverterList.Ids[1], 3);
  EXPECT_EQ(w->InverterList.Ids[2], 5);
  EXPECT_EQ(w->InverterList.BaudIndex[0], 1);
  EXPECT_EQ(w->InverterList.BaudIndex[1], 2);
  EXPECT_EQ(w->InverterList.BaudIndex[2], 3);
  EXPECT_EQ(w->Link.IdProductId[5], kCountryList2ProductId);
  for (int id = 0; id < Modbus::kIdCount; ++id) EXPECT_EQ(w->Link.IdNormalMode[id], 1) << id;

  ASSERT_EQ(w->TreeRoot->childCount(), 3);
  EXPECT_EQ(w->TreeRoot->child(0)->text(0), "ID:002");
  EXPECT_EQ(w->TreeRoot->child(2)->text(0), "ID:005");
  EXPECT_EQ(w->LastTreeNode, w->TreeRoot->child(2));
  EXPECT_EQ(ImageOf(w->TreeRoot), TreeImageRoot);
  EXPECT_EQ(ImageOf(w->TreeRoot->child(0)), TreeImageCurrent);
  EXPECT_EQ(ImageOf(w->TreeRoot->child(1)), TreeImageInverter);
  EXPECT_TRUE(w->TreeRoot->isExpanded());
  // The first listed inverter is current, at its own speed.
  EXPECT_EQ(w->Link.SlaveId, 2);
  EXPECT_EQ(bus.LineBaud(), 9600);
  EXPECT_EQ(w->StatusText(1), "9600");
  EXPECT_EQ(pending->text(), "??");
  EXPECT_EQ(pending->fontColor(), clBlue);

  // Double-clicking the third node makes the third listed inverter current.
  auto* shown = new ValueLabel(w.get());
  shown->show(QStringLiteral("50.00 Hz"), clBlue);
  Tree()->setCurrentItem(w->TreeRoot->child(2));
  w->TreeViewDblClick();
  EXPECT_EQ(w->Link.SlaveId, 5);
  EXPECT_EQ(bus.LineBaud(), 38400);
  EXPECT_EQ(ImageOf(w->TreeRoot->child(2)), TreeImageCurrent);
  EXPECT_EQ(ImageOf(w->TreeRoot->child(0)), TreeImageInverter);
  EXPECT_EQ(shown->text(), "??");
  EXPECT_EQ(shown->fontColor(), clBlue);

  // A rescan that finds fewer replaces list and tree whole.
  bus.RemoveSlave(3);
  bus.RemoveSlave(5);
  w->RebuildTree();
  EXPECT_EQ(w->InverterList.Count, 1);
  ASSERT_EQ(w->TreeRoot->childCount(), 1);
  EXPECT_EQ(w->TreeRoot->child(0)->text(0), "ID:002");
  EXPECT_EQ(w->Link.IdPresent[5], 0);
}

TEST_F(ScanTest, RangeOutsideTheIdsIsKeptToThem) {
  bus.AddSlave(254);
  bus.SetSlaveBaud(254, 38400);
  OpenSerial();
  w->Link.ScanStartId = 252;
  w->Link.ScanEndId = 400;  // from a profile file, never checked by an edit
  w->RebuildTree();
  EXPECT_EQ(bus.Frames().size(), 9u);  // IDs 252..254 at three speeds
  ASSERT_EQ(w->InverterList.Count, 1);
  EXPECT_EQ(w->InverterList.Ids[0], 254);
  EXPECT_EQ(w->TreeRoot->child(0)->text(0), "ID:254");
}

TEST_F(ScanTest, DoubleClickOutsideTheInverterNodesOrOnWifiChangesNothing) {
  w->InverterList.Count = 2;
  w->InverterList.Ids[0] = 4;
  w->InverterList.Ids[1] = 254;
  w->BuildIdTree();
  EXPECT_EQ(w->Link.SlaveId, 4);
  // The root is no inverter.
  Tree()->setCurrentItem(w->TreeRoot);
  w->TreeViewDblClick();
  EXPECT_EQ(w->Link.SlaveId, 4);
  // ID 254 is reachable from its node (the list, not a walk over 1..253).
  Tree()->setCurrentItem(w->TreeRoot->child(1));
  w->TreeViewDblClick();
  EXPECT_EQ(w->Link.SlaveId, 254);
  // On the Wi-Fi link the tree does not switch inverters.
  w->Link.LinkMode = LinkTcp;
  w->Link.SlaveId = 255;
  Tree()->setCurrentItem(w->TreeRoot->child(0));
  w->TreeViewDblClick();
  w->ExeSelectInv(0);
  EXPECT_EQ(w->Link.SlaveId, 255);
}

TEST_F(ScanTest, EmptyListLeavesTheRootAloneAndTheCurrentIdAsItWas) {
  w->Link.SlaveId = 9;
  w->BuildIdTree();
  EXPECT_EQ(w->TreeRoot->childCount(), 0);
  EXPECT_EQ(w->Link.SlaveId, 9);
}

// With nobody listed, selecting changes nothing: a value written and not
// confirmed stays red, and the current inverter and its speed stay.
TEST_F(ScanTest, SelectingFromAnEmptyListChangesNothing) {
  OpenSerial();
  w->Link.SlaveId = 9;
  w->Link.SetBaudIndex(2);
  w->InverterList.Count = 0;
  auto* written = new ValueLabel(w.get());
  written->setText("230.0");
  written->setFontColor(clRed);
  w->ExeSelectInv(0);
  EXPECT_EQ(written->text(), "230.0");
  EXPECT_EQ(written->fontColor(), clRed);
  EXPECT_EQ(w->Link.SlaveId, 9);
  EXPECT_EQ(w->Link.Port.Baud, 19200);

  // One listed inverter: the same label is void once it is selected.
  w->InverterList.Count = 1;
  w->InverterList.Ids[0] = 4;
  w->InverterList.BaudIndex[0] = 1;
  w->ExeSelectInv(0);
  EXPECT_EQ(written->text(), "??");
  EXPECT_EQ(written->fontColor(), clBlue);
}

TEST(CollectPresentIds, CompactsPresentIdsInAscendingOrder) {
  int presence[256] = {};
  int speeds[256] = {};
  presence[1] = 1;
  speeds[1] = 2;
  presence[6] = 6;
  speeds[6] = 3;
  presence[9] = 7;  // not its own ID: absent
  presence[254] = 254;
  speeds[254] = 1;
  presence[255] = 255;  // the Wi-Fi address is no bus inverter
  InverterListRec list;
  list.Tail = 5;
  EXPECT_EQ(CollectPresentIds(list, presence, speeds), 0);
  ASSERT_EQ(list.Count, 3);
  EXPECT_EQ(list.Ids[0], 1);
  EXPECT_EQ(list.Ids[1], 6);
  EXPECT_EQ(list.Ids[2], 254);
  EXPECT_EQ(list.BaudIndex[1], 3);
  EXPECT_EQ(list.BaudIndex[2], 1);
  EXPECT_EQ(list.Tail, 0);
}

TEST(IdRangeEdits, ExitChecksAndTheirReplacementTexts) {
  FakeDialogs dialogs;
  TForm_Main w;
  auto* start = w.Ctl<QLineEdit>("Edit_StartID");
  auto* end = w.Ctl<QLineEdit>("Edit_EndID");
  struct Case {
    const char* start;
    const char* end;
    bool endExit;  // else the start edit is left
    const char* message;
    const char* result;
  };
  const Case cases[] = {
      {"", "32", false, "ID Range 1~254", "1"},
      {"255", "32", false, "ID Range 1~254", "1"},
      {"12", "32", false, nullptr, "12"},
      {"200", "100", true, "Error: End ID < Start ID", "201"},
      {"254", "1", true, "Error: End ID < Start ID", "254"},
      {"1", "0", true, "ID Range 1~254", "32"},
      {"1", "", true, "ID Range 1~254", "32"},
      {"5", "5", true, nullptr, "5"},
  };
  for (const Case& c : cases) {
    dialogs.messages.clear();
    start->setText(c.start);
    end->setText(c.end);
    if (c.endExit)
      w.Edit_EndIDExit();
    else
      w.Edit_StartIDExit();
    QLineEdit* edit = c.endExit ? end : start;
    EXPECT_EQ(edit->text(), c.result) << c.start << " " << c.end;
    if (c.message) {
      ASSERT_EQ(dialogs.messages.size(), 1) << c.start << " " << c.end;
      EXPECT_EQ(dialogs.messages[0], c.message);
      EXPECT_EQ(edit->selectedText(), c.result);
    } else {
      EXPECT_TRUE(dialogs.messages.isEmpty());
    }
  }
}

namespace {

// Each message is a box of its own that takes the focus, as a modal message
// box does, and that the user's OK closes: the window that was active before
// gets the focus back.
class FocusTakingDialogs : public FakeDialogs {
 public:
  void ShowMessage(const QString& text) override {
    FakeDialogs::ShowMessage(text);
    QWidget* before = QApplication::activeWindow();
    QWidget box;
    auto* ok = new QPushButton("OK", &box);
    box.show();
    input::Activate(&box);
    ok->setFocus();
    box.close();
    if (before) input::Activate(before);
  }
};

// The ID range edits driven by hand: the user clicks into an edit, types over
// its text and leaves it with Tab.
class IdRangeByHand : public ::testing::Test {
 protected:
  void SetUp() override {
    w.show();
    ASSERT_TRUE(input::Activate(&w));
  }
  void TypeOver(QLineEdit* edit, const char* text) {
    QTest::mouseClick(edit, Qt::LeftButton);
    ASSERT_TRUE(edit->hasFocus()) << edit->objectName().toStdString();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
  }
  polltest::TempHome home;
  FocusTakingDialogs dialogs;
  TForm_Main w;
  QLineEdit* start = w.Ctl<QLineEdit>("Edit_StartID");
  QLineEdit* end = w.Ctl<QLineEdit>("Edit_EndID");
};

// A wrong Start shows one message and goes back to 1; End keeps the user's
// value unless it is itself wrong or below Start.
TEST_F(IdRangeByHand, LeavingAFieldChecksItOnce) {
  struct Step {
    bool end;  // else the start edit
    const char* typed;
  };
  struct Case {
    std::vector<Step> steps;  // each typed, then left with Tab
    QStringList messages;
    const char* start;
    const char* end;
  };
  const Case cases[] = {
      {{{false, "300"}}, {"ID Range 1~254"}, "1", "32"},
      {{{false, "12"}}, {}, "12", "32"},
      {{{true, "0"}}, {"ID Range 1~254"}, "1", "32"},
      {{{false, "12"}, {true, "5"}}, {"Error: End ID < Start ID"}, "12", "13"},
      {{{false, "20"}, {true, "40"}}, {}, "20", "40"},
  };
  for (const Case& c : cases) {
    start->setText("1");
    end->setText("32");
    dialogs.messages.clear();
    for (const Step& s : c.steps) {
      QLineEdit* edit = s.end ? end : start;
      TypeOver(edit, s.typed);
      QTest::keyClick(edit, Qt::Key_Tab);
      EXPECT_FALSE(edit->hasFocus()) << s.typed;
    }
    EXPECT_EQ(dialogs.messages, c.messages) << c.steps.back().typed;
    EXPECT_EQ(start->text(), c.start) << c.steps.back().typed;
    EXPECT_EQ(end->text(), c.end) << c.steps.back().typed;
  }
}

// Focus that leaves the window (another window or a dialog takes it, F11
// collapses and restores the header) is no leaving of the field; back in the
// window, the field is checked when the user moves on to another control.
TEST_F(IdRangeByHand, LeavingTheWindowChecksNothingAndTheCheckStillRunsAfter) {
  TypeOver(start, "300");
  QWidget other;
  other.show();
  ASSERT_TRUE(input::Activate(&other));
  ASSERT_TRUE(input::Activate(&w));
  for (int press = 0; press < 2; ++press) QTest::keyClick(start, Qt::Key_F11);
  EXPECT_EQ(dialogs.messages, QStringList{});
  EXPECT_EQ(start->text(), "300");

  QTest::mouseClick(end, Qt::LeftButton);
  EXPECT_TRUE(end->hasFocus());
  EXPECT_EQ(dialogs.messages, QStringList{"ID Range 1~254"});
  EXPECT_EQ(start->text(), "1");
  EXPECT_EQ(end->text(), "32");
}

}  // namespace

TEST(ScanButton, WithoutALinkAsksForOneAndOnWifiDoesNothing) {
  FakeDialogs dialogs;
  TForm_Main w;
  w.PollStop = 0;  // as a failed request leaves it: no loop runs all the same
  w.LinkOpen = false;
  w.Btn_ScanIDClick();
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_EQ(dialogs.messages[0], "Please Connect to Inverters first");
  EXPECT_EQ(w.Link.CmdCode, 0);

  // Close was clicked and the loop has not ended yet: no loop will run the scan.
  w.LinkOpen = true;
  w.PollStop = 1;
  w.Btn_ScanIDClick();
  ASSERT_EQ(dialogs.messages.size(), 2);
  EXPECT_EQ(dialogs.messages[1], "Please Connect to Inverters first");
  EXPECT_EQ(w.Link.CmdCode, 0);

  w.PollStop = 0;  // a loop runs: the scan is posted with the edits' range
  w.Ctl<QLineEdit>("Edit_StartID")->setText("3");
  w.Ctl<QLineEdit>("Edit_EndID")->setText("9");
  w.Btn_ScanIDClick();
  EXPECT_EQ(w.Link.CmdCode, 600);
  EXPECT_EQ(w.Link.ScanStartId, 3);
  EXPECT_EQ(w.Link.ScanEndId, 9);

  w.Link.CmdCode = 0;
  w.Link.LinkMode = LinkTcp;
  w.Btn_ScanIDClick();
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST(CountryList, LoadedListUnlessNoneThenTheModelsBuiltInList) {
  TForm_Main w;
  auto* combo = w.Ctl<QComboBox>("Combo_Country");  // the country view's combo
  ASSERT_TRUE(combo);

  // The profile's list: the names of the codes on offer, as many as the
  // loader counted, item k naming code k of the table.
  w.LoadedCountryNames[0] = "Germany";
  w.LoadedCountryNames[1] = "X";
  w.LoadedCountryNames[2] = "";
  w.LoadedCountryNames[3] = "Italy";
  w.LoadedCountryNames[4] = "Spain";
  w.LoadedCountryCodes = {0, 1, 3, 4};
  w.LoadedCountryCount = 3;
  w.CountryListInit();
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "Germany");
  EXPECT_EQ(combo->itemText(1), "X");
  EXPECT_EQ(combo->itemText(2), "Italy");

  // "NONE": the built-in list chosen by the current inverter's product ID.
  w.LoadedCountryNames[0] = "NONE";
  for (int list = 0; list < 2; ++list) {
    w.Link.SlaveId = 3;
    w.Link.IdProductId[3] = list == 1 ? kCountryList2ProductId : 12345;
    w.CountryListInit();
    QStringList expected;
    for (const QString& name : CountryNames[list]) {
      if (name == "END") break;
      if (name.size() >= 2) expected << name;
    }
    QStringList got;
    for (int i = 0; i < combo->count(); ++i) got << combo->itemText(i);
    EXPECT_EQ(got, expected) << list;
    EXPECT_FALSE(got.isEmpty());
  }
}

// The scan button while polling: the scan runs between two passes with the
// busy window shown, and the loop goes on with the first found inverter.
TEST(ScanWhilePolling, PostedScanRunsWithTheBusyWindowAndPollingGoesOn) {
  polltest::LinkedWindow t;  // ID 1 on the bus, link open at 9,600 bit/s
  sim::AddIdProbe(t.sim);
  t.sim.AddSlave(2);
  t.sim.SetSlaveBaud(2, 38400);
  TForm_wait wait;
  TForm_wait* savedWait = Form_wait;
  Form_wait = &wait;
  TForm_Main& w = t.w;
  w.AddTreeRoot();
  w.LinkOpen = true;
  t.ShowPanel("Group_Version");
  w.Ctl<QLineEdit>("Edit_StartID")->setText("1");
  w.Ctl<QLineEdit>("Edit_EndID")->setText("2");

  bool posted = false, busyShown = false;
  size_t framesAfterScan = 0;
  nettest::Every5ms(w, [&] {
    const auto frames = t.sim.Frames();
    if (!posted && !frames.empty()) {
      w.Btn_ScanIDClick();
      posted = true;
    }
    for (const auto& f : frames) busyShown = busyShown || (f.protocol == "probe" && wait.isVisible());
    if (posted && w.TreeRoot->childCount() == 2 && framesAfterScan == 0) framesAfterScan = frames.size();
    if (framesAfterScan && frames.size() >= framesAfterScan + 5) {
      w.ClosePortClick();
      return true;
    }
    return false;
  });
  w.RunPollingLoop();
  Form_wait = savedWait;

  EXPECT_TRUE(busyShown);
  EXPECT_FALSE(wait.isVisible());
  ASSERT_EQ(w.InverterList.Count, 2);
  EXPECT_EQ(w.InverterList.BaudIndex[0], 3);  // ID 1 answers at every speed: the last one counts
  EXPECT_EQ(w.InverterList.Ids[1], 2);
  EXPECT_EQ(w.InverterList.BaudIndex[1], 3);
  // Polling went on with the first listed inverter at its speed.
  EXPECT_EQ(w.Link.SlaveId, 1);
  EXPECT_EQ(t.sim.LineBaud(), 38400);
  const auto frames = t.sim.Frames();
  EXPECT_EQ(frames.back().protocol, "rtu");
  EXPECT_EQ(uint8_t(frames.back().bytes[0]), 1);
}

// At start the inverters of the previous run are listed and the tree shows
// them before any scan.
TEST(TreeAtStart, InvertersOfThePreviousRunAreListedAndShown) {
  polltest::TempHome home;
  FakeDialogs dialogs;
  QDir(home.dir.path()).mkpath("profile");
  QFile file(home.dir.path() + "/profile/PreviousSet.KXL");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[Language]\r\nSet=0\r\n[InvExist]\r\nID3=2\r\nID17=0\r\nID200=3\r\n");
  file.close();
  TForm_Main w;
  w.show();
  ASSERT_NE(w.TreeRoot, nullptr);
  EXPECT_EQ(w.TreeRoot->text(0), "Inverters");
  EXPECT_EQ(ImageOf(w.TreeRoot), TreeImageRoot);
  ASSERT_EQ(w.TreeRoot->childCount(), 2);
  EXPECT_EQ(w.TreeRoot->child(0)->text(0), "ID:003");
  EXPECT_EQ(w.TreeRoot->child(1)->text(0), "ID:200");
  EXPECT_EQ(ImageOf(w.TreeRoot->child(0)), TreeImageCurrent);
  EXPECT_EQ(w.InverterList.Count, 2);
  EXPECT_EQ(w.InverterList.BaudIndex[1], 3);
  EXPECT_EQ(w.Link.SlaveId, 3);
}
