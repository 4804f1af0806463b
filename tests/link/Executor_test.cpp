#include <gtest/gtest.h>

#include <QAbstractButton>

#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include "link/Executor.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::LinkedWindow;
using polltest::Rtu;

namespace {

QString Write(int id, int reg, int value) {
  const int wire = reg - 1;
  return Rtu({id, 6, wire >> 8, wire & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}
QString Coil(int id, int coil, int value) {
  const int wire = coil - 1;
  return Rtu({id, 5, wire >> 8, wire & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}

struct Executor : ::testing::Test {
  LinkedWindow t;
  TForm_Main& w = t.w;
  std::vector<int> pauses;
  void SetUp() override {
    SetExecutorSleep([this](int ms) { pauses.push_back(ms); });
    SavedRelayMode.reset();
  }
  void TearDown() override { SetExecutorSleep(nullptr); }
  int Run(int code, int reg = 0, int value = 0, int value2 = 0) {
    t.sim.ClearFrames();
    pauses.clear();
    PostCommand(w.Link, code, reg, value, value2);
    return w.ExecutePendingCommand();
  }
  void ListInverters(std::initializer_list<std::pair<int, int>> idsAndBauds) {
    w.InverterList.Count = 0;
    for (auto [id, baud] : idsAndBauds) {
      w.InverterList.Ids[w.InverterList.Count] = id;
      w.InverterList.BaudIndex[w.InverterList.Count++] = baud;
      w.Link.IdPresent[id] = id;
      w.Link.IdBaudIndex[id] = baud;
    }
  }
};

}  // namespace

TEST_F(Executor, SingleWritesAndFixedSequences) {
  std::vector<QString> resetTail;
  for (int j = 0; j < 20; ++j) {
    resetTail.push_back(Write(1, 0xEC96, j));
    resetTail.push_back(Write(1, 0xEC97, 0));
  }
  std::vector<QString> returnToDefault = {Coil(1, 24628, 0xFF00), Coil(1, 24629, 0xFF00), Coil(1, 24624, 0xFF00),
                                          Coil(1, 24597, 0xFF00), Coil(1, 24643, 0xFF00), Write(1, 0xEC00, 0x0200),
                                          Write(1, 0xEC00, 0x0400), Write(1, 0xEC96, 0xFF00), Write(1, 0xEC97, 0x55AA)};
  returnToDefault.insert(returnToDefault.end(), resetTail.begin(), resetTail.end());

  const struct {
    const char* what;
    int code, reg, value, value2;
    std::vector<QString> frames;
    std::vector<int> pauses;
  } cases[] = {
      {"register write", 6, 802, 5, 0, {"01 06 03 21 00 05 19 87"}, {}},
      {"coil value 1 goes out as ON", 5, 24624, 1, 0, {Coil(1, 24624, 0xFF00)}, {}},
      {"coil value 0", 5, 24624, 0, 0, {Coil(1, 24624, 0)}, {}},
      {"coil, other values unchanged", 5, 24624, 0xFF00, 0, {Coil(1, 24624, 0xFF00)}, {}},
      {"constant voltage on", 10, 0, 0, 0, {Write(1, 824, 0), Write(1, 825, 1024)}, {}},
      {"battery window", 36, 25637, 830, 1745, {Write(1, 25637, 830), Write(1, 25638, 1745)}, {}},
      {"energy reset", 40, 0, 0, 0, {Coil(1, 24628, 0xFF00), Coil(1, 24629, 0xFF00)}, {500}},
      {"return to default", 41, 0, 0, 0, returnToDefault, {500, 500, 500, 500, 500}},
      {"power limit 2.5k", 42, 0, 0, 0,
       {Write(1, 33595, 2500), Write(1, 0xAC00, 0x5236), Write(1, 0xAC01, 0x2E32), Write(1, 0xAC02, 0x5F33),
        Write(1, 0xAC03, 0x3138), Write(1, 0xAC04, 0), Write(1, 0xAC05, 0), Write(1, 0xAC06, 0), Write(1, 0xAC07, 0)},
       {200, 200, 200, 200, 200}},
      {"grid unlock", 166, 0, 0, 0, {Write(1, 25411, 1), Write(1, 48384, 1)}, {200}},
      {"lifetime energy, both words", 300, 44224, 0xE240, 0x0001, {Write(1, 44224, 0xE240), Write(1, 44225, 1)}, {}},
      // No mode read by an ON: relay 1 keeps its own.
      {"dry contact off without on", 418, 0, 0, 0, {Write(1, 52742, 0), Write(1, 797, 0)}, {}},
      {"voltage calibration: no work yet", 20, 0, 123, 0, {}, {}},
      {"power calibration high is no reset", 60, 0, 1234, 0, {}, {}},
      {"power calibration low is no reset", 61, 0, 1234, 0, {}, {}},
      {"unknown code dropped", 999, 802, 1, 0, {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.code, c.reg, c.value, c.value2), 0) << c.what;
    EXPECT_EQ(t.Frames(), c.frames) << c.what;
    EXPECT_EQ(pauses, c.pauses) << c.what;
    EXPECT_EQ(w.Link.CmdCode, 0) << c.what;
  }
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

// The characters are taken when the command is posted: an edit changed
// while the command waits changes nothing.
TEST_F(Executor, SerialNumberAsCapturedWhenPosted) {
  auto* edit = w.Ctl<QLineEdit>("Edit_KeySN");
  ASSERT_NE(edit, nullptr);
  PostedSerialNumber = "ABCDEFGHIJKLM";
  edit->setText("ABC");
  EXPECT_EQ(Run(311), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Write(1, 0x6100, 0x4142), Write(1, 0x6101, 0x4344),
                                              Write(1, 0x6102, 0x4546), Write(1, 0x6103, 0x4748),
                                              Write(1, 0x6104, 0x494A), Write(1, 0x6105, 0x4B4C),
                                              Write(1, 0x6106, 0x4D00), Write(1, 0x6059, 0x5A01)}));
  // Nothing captured (the code posted some other way): nothing to send.
  PostedSerialNumber.clear();
  edit->setText("NOPQRSTUVWXYZ");
  EXPECT_EQ(Run(311), 0);
  EXPECT_TRUE(t.Frames().empty());
}

// The mode restored is the register as the test found it, whatever a label
// shows ("??" before the relay view ran, or relay 2's mode).
TEST_F(Executor, DryContactTestRestoresTheRelayModeItRead) {
  auto* relay = new ValueLabel(&w);
  relay->setObjectName("Label_MultiRelay1");
  relay->setText("??");
  w.RegisterControl(relay);
  t.sim.SetHolding(1, 52738, 3);
  EXPECT_EQ(Run(417), 0);
  EXPECT_EQ(SavedRelayMode, 3);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 3, 0xCE, 0x01, 0, 1}), Write(1, 52738, 2),
                                              Write(1, 52742, 1)}));
  EXPECT_EQ(Run(418), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Write(1, 52738, 3), Write(1, 52742, 0), Write(1, 797, 0)}));
  EXPECT_EQ(t.sim.Holding(1, 52738), 3);
  EXPECT_EQ(t.sim.Holding(1, 797), 0);

  EXPECT_FALSE(SavedRelayMode.has_value());  // restored: this run is over

  // A mode that cannot be read: nothing is switched, the buttons go back to
  // where they were before the click, the user is told why, and an OFF
  // restores no mode, neither 0 nor the 3 of the run before: the 5 stays.
  auto* on = w.Ctl<QAbstractButton>("Btn_DryContactTest3PON");
  auto* off = w.Ctl<QAbstractButton>("Btn_DryContactTest3POFF");
  ASSERT_TRUE(on && off);
  const auto clicked = [&] {
    on->setEnabled(false);
    off->setEnabled(true);
  };
  t.sim.SetHolding(1, 52738, 5);
  clicked();
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  EXPECT_EQ(Run(417), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 3, 0xCE, 0x01, 0, 1})}));
  EXPECT_FALSE(SavedRelayMode.has_value());
  EXPECT_TRUE(on->isEnabled());
  EXPECT_FALSE(off->isEnabled());
  const QString why = "Dry Contact Test not started: relay 1's mode could not be read";
  EXPECT_EQ(t.dialogs.messages, QStringList{why});
  EXPECT_EQ(Run(418), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Write(1, 52742, 0), Write(1, 797, 0)}));
  EXPECT_EQ(t.sim.Holding(1, 52738), 5);

  // A link failure while reading: the same, and polling ends.
  clicked();
  w.Link.Port.Close();
  EXPECT_EQ(Run(417), 1);
  EXPECT_TRUE(on->isEnabled());
  EXPECT_FALSE(off->isEnabled());
  EXPECT_EQ(t.dialogs.messages, (QStringList{why, why}));
  EXPECT_EQ(Run(418), 1);
  // Commands whose failure does not matter go on and report nothing.
  EXPECT_EQ(Run(40), 0);
}

TEST_F(Executor, WriteLockRefusesAllButScanAndClock) {
  w.WriteLock = 1;
  for (int code : {5, 6, 40, 41, 300, 999}) {
    EXPECT_EQ(Run(code, 802, 5), 0);
    EXPECT_TRUE(t.Frames().empty()) << code;
  }
  EXPECT_EQ(t.dialogs.messages, QStringList(6, "Lock: Permission denied"));
  t.dialogs.messages.clear();
  w.Link.ScanStartId = w.Link.ScanEndId = 1;
  Run(600);
  EXPECT_FALSE(t.Frames().empty());  // the probes went out
  Run(400);
  EXPECT_FALSE(t.dialogs.messages.contains("Lock: Permission denied"));
  EXPECT_FALSE(t.dialogs.messages.isEmpty());  // the clock's own report
  t.dialogs.messages.clear();
  // The SuperUser profile lifts the lock.
  w.IsSuperUser = 1;
  EXPECT_EQ(Run(6, 802, 5), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{"01 06 03 21 00 05 19 87"}));
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

TEST_F(Executor, CommandPostedWhileOneRunsSurvives) {
  // A handler that runs inside the first write's wait posts the next command.
  QTimer::singleShot(0, &w, [&] { PostCommand(w.Link, 6, 803, 7); });
  EXPECT_EQ(Run(6, 802, 5), 0);
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(w.Link.CmdRegister, 803);
  EXPECT_EQ(w.Link.CmdValue, 7);
}

TEST_F(Executor, BroadcastSweepsTheListAndReturnsToTheCurrentInverter) {
  t.sim.AddSlave(2);
  t.sim.AddSlave(3);
  ListInverters({{1, 1}, {2, 2}, {3, 3}});
  w.Ctl<QRadioButton>("Radio_CmdBroadcast")->setChecked(true);
  ASSERT_FALSE(w.Ctl<QRadioButton>("Radio_SendSingle")->isChecked());

  EXPECT_EQ(Run(6, 802, 5), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Write(1, 802, 5), Write(2, 802, 5), Write(3, 802, 5)}));
  EXPECT_EQ(w.Link.SlaveId, 1);
  EXPECT_EQ(t.sim.LineBaud(), 9600);
  EXPECT_EQ(w.StatusText(1), "9600");
  for (int id : {1, 2, 3}) EXPECT_EQ(t.sim.Holding(id, 802), 5) << id;

  EXPECT_EQ(Run(5, 24624, 1), 0);
  EXPECT_EQ(t.Frames(),
            (std::vector<QString>{Coil(1, 24624, 0xFF00), Coil(2, 24624, 0xFF00), Coil(3, 24624, 0xFF00)}));
  EXPECT_EQ(Run(26, 803, 9), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Write(1, 803, 9), Write(2, 803, 9), Write(3, 803, 9)}));
  // A write meant for one inverter alone (its bus ID) ignores the choice.
  w.Link.SlaveId = 2;
  EXPECT_EQ(Run(66, 48163, 9), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{Write(2, 48163, 9)});
  EXPECT_EQ(w.Link.SlaveId, 2);
  w.Link.SlaveId = 1;

  // An empty list writes nothing and still restores the current inverter.
  w.InverterList.Count = 0;
  w.Link.SlaveId = 2;
  w.Link.IdBaudIndex[2] = 3;
  EXPECT_EQ(Run(6, 802, 5), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(w.Link.SlaveId, 2);
  EXPECT_EQ(t.sim.LineBaud(), 38400);
}

// Every listed inverter's factor is read first; then each gets its own share.
TEST_F(Executor, MaxPowerToAllUsesEachInvertersOwnFactor) {
  t.sim.AddSlave(2);
  ListInverters({{1, 1}, {2, 1}});
  t.sim.SetInput(1, 40987, 3);
  t.sim.SetInput(1, 40995, 3 << 3);  // power x 10
  t.sim.SetInput(2, 40987, 1);
  t.sim.SetInput(2, 40995, 4 << 3);  // power x 100
  w.PowerMul = 1;
  w.EnergyMul = 10;

  EXPECT_EQ(Run(595, 33595, int16_t(60000)), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0xA0, 0x1A, 0, 9}), Rtu({2, 4, 0xA0, 0x1A, 0, 9}),
                                              Write(1, 33595, 6000), Write(2, 33595, 600)}));
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
  // The main window keeps the current inverter's factors.
  EXPECT_EQ(w.PowerMul, 1);
  EXPECT_EQ(w.EnergyMul, 10);
  EXPECT_EQ(w.Link.SlaveId, 1);
}

// The watts travel as 32 bits (low word, high word). An inverter that does
// not answer, or watts that one of them cannot take, leave every inverter
// unwritten.
TEST_F(Executor, MaxPowerToAllWritesEveryInverterOrNone) {
  t.sim.AddSlave(2);
  t.sim.SetInput(1, 40995, 3 << 3);  // power x 10
  t.sim.SetInput(2, 40995, 0);       // power x 1
  const std::vector<QString> reads = {Rtu({1, 4, 0xA0, 0x1A, 0, 9}), Rtu({2, 4, 0xA0, 0x1A, 0, 9})};
  struct Case {
    bool silentThird;  // ID 3 listed too, but it does not answer
    int watts;
    QString message;
  };
  const Case cases[] = {
      {false, 100000, "Out of range: the power must lie from 0 to 65535 W"},
      {false, -1, "Out of range: the power must lie from 0 to 65535 W"},
      {true, 5000, "Error - ID3"},
  };
  for (const Case& c : cases) {
    if (c.silentThird) ListInverters({{1, 1}, {2, 1}, {3, 1}});
    else ListInverters({{1, 1}, {2, 1}});
    t.dialogs.messages.clear();
    EXPECT_EQ(Run(595, 33595, int16_t(c.watts & 0xFFFF), int16_t(c.watts >> 16)), 0);
    const std::vector<QString> frames = t.Frames();
    EXPECT_EQ(std::vector<QString>(frames.begin(), frames.begin() + std::min<size_t>(2, frames.size())), reads)
        << c.watts;
    EXPECT_EQ(frames.size(), c.silentThird ? 3u : 2u) << c.watts;  // reads only
    EXPECT_EQ(t.dialogs.messages, QStringList{c.message}) << c.watts;
    EXPECT_EQ(t.sim.Holding(1, 33595), 0);
    EXPECT_EQ(t.sim.Holding(2, 33595), 0);
    EXPECT_EQ(w.Link.SlaveId, 1);
  }
}
