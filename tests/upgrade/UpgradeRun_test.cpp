// The upgrade runs without the page: preconditions, attempts and pauses of
// each procedure, the version check, the time lines and the log file names.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <vector>

#include "link/Modbus.h"
#include "support/FirmwareImage.h"
#include "support/QtPrinters.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeRun.h"

namespace {

struct RunRecorder : fw::Recorder {
  QStringList red;
  void AppendUpgradeRed(const QString& line) override {
    red << line;
    upgradeEvents << line;
  }
};

// Results handed out in turn; the last one repeats.
struct Script {
  std::deque<int> results;
  std::vector<int> delays;  // AttemptDelay at each call
  int Next(upgradeTool& tool) {
    delays.push_back(tool.Info.AttemptDelay);
    const int r = results.front();
    if (results.size() > 1) results.pop_front();
    return r;
  }
};

// A tool with a loaded image (one block, lengths above the minimum), devices
// 1 and 5 present and selected, and every pause recorded.
struct RunTest : ::testing::Test {
  RunRecorder views;
  upgradeTool tool;
  std::vector<int> pauses;
  Script boot{{0}}, v02{{0}}, v03{{0}}, tcp{{0}}, check{{0}};
  std::vector<int> checked;  // device IDs whose version was checked
  int grids = 0;
  UpgradeSteps steps;

  void SetUp() override {
    tool.Views = &views;
    tool.LongPause = [this](int ms) { pauses.push_back(ms); };
    tool.Info.Delay = 100;
    tool.Info.SwVersionMajor = 2;
    tool.Info.SwVersionMinor = 23;
    tool.Info.Processor = 2;
    tool.Info.Length10 = 4096;
    tool.Grid.SetImage(128, {0x8000}, {1}, std::vector<std::uint8_t>(128, 0x55), 2, 130);
    for (int id : {1, 5}) {
      tool.DeviceId[id] = static_cast<std::uint8_t>(id);
      tool.Selected[id] = 1;
      tool.StepOk[id] = 1;
      tool.BootVersion[id] = 3;
    }
    // The done step deselects what it programmed, as the procedures do.
    auto done = [this](Script& s) {
      return [this, &s](upgradeTool& t) {
        const int r = s.Next(t);
        if (r == 0 && &s == &v03)
          for (int id : {1, 5})
            if (t.StepOk[id]) t.Selected[id] = 0;
        return r;
      };
    };
    steps.Boot = done(boot);
    steps.V02 = done(v02);
    steps.V03 = done(v03);
    steps.Tcp = done(tcp);
    steps.CheckVersion = [this](upgradeTool& t, int id, int expected, int processor) {
      EXPECT_EQ(expected, 223);
      EXPECT_EQ(processor, 2);
      checked.push_back(id);
      return check.Next(t);
    };
    steps.ShowGrid = [this](upgradeTool&) { return ++grids, 0; };
  }
  void TearDown() override { UpgradeClock = nullptr; }
};

TEST_F(RunTest, SerialRunRefusesWithoutImageOrSelection) {
  struct Case {
    const char* what;
    int length10, length20;
    bool blocks, selected;
    const char* message;
  } cases[] = {
      {"both lengths below 1000", 999, 999, true, true, "Please Load Hex File First"},
      {"lengths left without a block to send", 4096, 0, false, true, "Please Load Hex File First"},
      {"no device selected", 0, 1000, true, false, "Please Select least one inverter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    views.messages.clear();
    tool.Info.Length10 = c.length10;
    tool.Info.Length20 = c.length20;
    if (!c.blocks) tool.Grid.SetImage(128, {}, {}, {}, 2, 130);
    for (int id : {1, 5}) tool.Selected[id] = c.selected ? 1 : 0;
    EXPECT_EQ(RunSerialUpgrade(tool, steps), UpgradeNotStarted);
    EXPECT_EQ(views.messages, QStringList{c.message});
    EXPECT_TRUE(views.upgradeEvents.isEmpty());
    EXPECT_TRUE(views.startStates.empty());
    EXPECT_TRUE(boot.delays.empty());
  }
}

TEST_F(RunTest, SerialRunAttemptsPausesAndResult) {
  struct Case {
    const char* what;
    std::deque<int> boot, v02, v03, check;
    bool deviceLeavesBroadcast;  // device 5 never acknowledges in V03
    int result;
    std::vector<int> bootDelays, v02Delays, v03Delays;
    std::vector<int> pauses;
    QStringList red;
    std::vector<int> checked;
  } cases[] = {
      {"all pass", {0}, {0}, {0}, {0}, false, UpgradeCompleted, {100}, {100}, {100}, {5000, 5000, 5000}, {}, {1, 5}},
      {"boot passes at the second attempt", {1, 0}, {0}, {0}, {0}, false, UpgradeCompleted, {100, 120}, {100}, {100},
       {20000, 5000, 5000, 5000}, {"Procedure Fail"}, {1, 5}},
      {"boot fails three times", {1}, {0}, {0}, {0}, false, UpgradeFailed, {100, 120, 140}, {}, {},
       {20000, 20000, 20000}, {"Procedure Fail", "Procedure Fail", "Procedure Fail"}, {}},
      {"V02 fails three times, no pause", {0}, {1}, {0}, {0}, false, UpgradeFailed, {100}, {100, 120, 140}, {}, {},
       {"Procedure Fail", "Procedure Fail", "Procedure Fail"}, {}},
      {"V03 fails once: stop", {0}, {0}, {1}, {0}, false, UpgradeFailed, {100}, {100}, {100}, {}, {"Procedure Stop"}, {}},
      {"a device left the broadcast every time", {0}, {0}, {0}, {0}, true, UpgradeFailed, {100}, {100},
       {100, 120, 140}, {}, {"Procedure Fail", "Procedure Fail", "Procedure Fail"}, {}},
      {"a device reports another version", {0}, {0}, {0}, {0, 1}, false, UpgradeUncertain, {100}, {100}, {100},
       {5000, 5000, 5000}, {}, {1, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    boot = {c.boot, {}};
    v02 = {c.v02, {}};
    v03 = {c.v03, {}};
    check = {c.check, {}};
    views.red.clear();
    pauses.clear();
    checked.clear();
    grids = 0;
    tool.StepOk[5] = c.deviceLeavesBroadcast ? 0 : 1;
    EXPECT_EQ(RunSerialUpgrade(tool, steps), c.result);
    EXPECT_EQ(boot.delays, c.bootDelays);
    EXPECT_EQ(v02.delays, c.v02Delays);
    EXPECT_EQ(v03.delays, c.v03Delays);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(views.red, c.red);
    // Every device chosen at the start is checked, though the done step
    // deselected it.
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(grids, 1);
    ASSERT_FALSE(views.startStates.empty());
    EXPECT_FALSE(views.startStates.back());
  }
}

TEST_F(RunTest, TimeLinesAcrossMidnight) {
  std::deque<QDateTime> clock = {QDateTime(QDate(2024, 3, 5), QTime(23, 59, 50)),
                                 QDateTime(QDate(2024, 3, 6), QTime(0, 0, 20))};
  UpgradeClock = [&] {
    const QDateTime t = clock.front();
    clock.pop_front();
    return t;
  };
  EXPECT_EQ(RunSerialUpgrade(tool, steps), UpgradeCompleted);
  const QStringList& log = views.upgradeEvents;
  ASSERT_EQ(log.size(), 4);
  EXPECT_EQ(log[0], "||-----------------------------------------Programming Begin---------------------------------------||");
  EXPECT_EQ(log[1], "Start Time: 23:59:50");
  EXPECT_EQ(log[log.size() - 2], "End Time: 0:0:20");
  EXPECT_EQ(log.back(), "Total Time: 30 S");

  struct Case {
    int start, end, seconds;
  } cases[] = {{0, 0, 0}, {36000, 36005, 5}, {86399, 0, 1}, {86390, 20, 30}};
  for (const Case& c : cases) EXPECT_EQ(RunSeconds(c.start, c.end), c.seconds) << c.start << " " << c.end;
}

TEST_F(RunTest, TcpRunTriesThreeTimes) {
  // Every failed attempt says so in red; a retry and its pause follow only
  // when another attempt does.
  struct Case {
    std::deque<int> results;
    int result;
    int calls;
    std::vector<int> pauses;
    int failed;
  } cases[] = {{{0}, 0, 1, {}, 0},
               {{1, 1, 0}, 0, 3, {2000, 2000}, 2},
               {{1}, 1, 3, {2000, 2000}, 3},
               {{2}, 2, 3, {2000, 2000}, 3}};
  for (const Case& c : cases) {
    SetUp();
    tcp = {c.results, {}};
    pauses.clear();
    views.upgradeEvents.clear();
    views.red.clear();
    EXPECT_EQ(RunTcpUpgrade(tool, steps), c.result);
    EXPECT_EQ(static_cast<int>(tcp.delays.size()), c.calls);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(views.upgradeEvents.count("Retry..."), static_cast<int>(c.pauses.size()));
    EXPECT_EQ(views.red, QStringList(c.failed, "Procedure Fail"));
    const QStringList& log = views.upgradeEvents;
    EXPECT_TRUE(log.back().startsWith("Total Time: "));
    if (c.result != 0) EXPECT_EQ(log[log.size() - 3], "Procedure Fail") << "last before the time lines";
  }
  // No block to send: refused before anything goes out.
  SetUp();
  tcp = {{0}, {}};
  tool.Grid.SetImage(128, {}, {}, {}, 2, 130);
  EXPECT_EQ(RunTcpUpgrade(tool, steps), UpgradeNotStarted);
  EXPECT_TRUE(tcp.delays.empty());
  EXPECT_EQ(views.messages.back(), "Please Load Hex File First");
}

TEST_F(RunTest, BinRunsOnTheSerialLinkOnly) {
  int bins = 0;
  int binResult = 0;
  steps.Bin = [&](upgradeTool&) { return ++bins, binResult; };
  for (int mode : {LinkTcp, LinkRadio, LinkNone}) {
    EXPECT_EQ(RunBinUpgrade(tool, mode, steps), UpgradeNotStarted);
    EXPECT_EQ(views.messages.back(), "BIN Upgrade Needs The Serial Link");
  }
  EXPECT_EQ(bins, 0);
  EXPECT_EQ(RunBinUpgrade(tool, LinkSerial, steps), 0);
  EXPECT_TRUE(views.red.isEmpty());
  binResult = 1;
  EXPECT_EQ(RunBinUpgrade(tool, LinkSerial, steps), 1);
  EXPECT_EQ(views.red, QStringList{"Procedure Stop"});
  EXPECT_EQ(bins, 2);
  // Only the line: no time lines, no start button change.
  EXPECT_EQ(views.upgradeEvents, QStringList{"Procedure Stop"});
  EXPECT_TRUE(views.startStates.empty());
}

TEST(UpgradeLog, NumberedNamesPerDay) {
  QTemporaryDir home;
  qputenv("QORVANE_HOME", home.path().toUtf8());
  const QDate march5(2024, 3, 5);
  const QString folder = home.path() + "/UpgradeLog";
  EXPECT_EQ(WriteUpgradeLog("first", march5), folder + "/Log20240305_1.txt");  // folder made
  EXPECT_EQ(WriteUpgradeLog("second", march5), folder + "/Log20240305_2.txt");
  EXPECT_EQ(WriteUpgradeLog("other day", QDate(2024, 11, 23)), folder + "/Log20241123_1.txt");
  QFile first(folder + "/Log20240305_1.txt");
  ASSERT_TRUE(first.open(QIODevice::ReadOnly));
  EXPECT_EQ(first.readAll(), "first");
  first.close();
  ASSERT_TRUE(first.remove());
  EXPECT_EQ(WriteUpgradeLog("third", march5), folder + "/Log20240305_1.txt");  // the gap is reused
  EXPECT_EQ(UpgradeLogFileName(folder, march5), folder + "/Log20240305_3.txt");
  EXPECT_EQ(UpgradeLogFileName(folder, QDate(987, 1, 2)), folder + "/Log9870102_1.txt");
  qunsetenv("QORVANE_HOME");
}

TEST(UpgradeResultWindow, ByLinkAndResult) {
  EXPECT_EQ(SerialResultWindow(UpgradeCompleted), ResultWindow::Completed);
  EXPECT_EQ(SerialResultWindow(UpgradeUncertain), ResultWindow::Uncertain);
  EXPECT_EQ(SerialResultWindow(UpgradeFailed), ResultWindow::Failed);
  EXPECT_EQ(TcpResultWindow(0), ResultWindow::Completed);
  EXPECT_EQ(TcpResultWindow(1), ResultWindow::Failed);
  EXPECT_EQ(TcpResultWindow(2), ResultWindow::None);
  EXPECT_EQ(TcpResultWindow(-1), ResultWindow::None);
}

}  // namespace
