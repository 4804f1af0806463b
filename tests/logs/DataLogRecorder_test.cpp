// The data-log recorder in the main window against the simulated inverter:
// the views paint the values, the record icon starts a recording, the row
// timer's handler writes rows, and the file comes out byte for byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/ToolbarIcons.h"
#include "link/PollingLoop.h"
#include "logs/DataLog.h"
#include "logs/DataLogActive.h"
#include "platform/ImageBox.h"
#include "profiles/Designmode.h"
#include "support/PollFixture.h"

namespace {

using polltest::SetInputs;

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Recorder : polltest::ViewTest {
  QDateTime now{QDate(2024, 3, 5), QTime(9, 5, 7)};

  void SetUp() override {
    DataLogClock = [this] { return now; };
    DataLogPause = [] {};
    DataLogActive = 0;
    // A link is open and polling, and a profile shows its pages.
    w.PollStop = 0;
    w.Ctl<QPushButton>("OpenPort")->setEnabled(false);
    auto* pages = w.Ctl<QTabWidget>("PageControl");
    for (const char* tab : {"TabSheet1", "TabSheet2", "TabSheet3"}) SetTabVisible(pages, w.Control(tab), true);
  }
  void TearDown() override {
    DataLogClock = [] { return QDateTime::currentDateTime(); };
    DataLogActive = 0;
  }

  // One polling pass over every item, as the loop runs it.
  void Pass() {
    for (const PollRow& row : PollOrder())
      if (!row.runs || row.runs(w)) ASSERT_EQ(row.item(&w.Link, 0), 0) << row.order;
  }

  QTimer* Timer(const char* name) { return w.findChild<QTimer*>(name); }
  QString Log(const char* name) { return t.home.dir.filePath(QString("DataLog/") + name); }
};

// Three ticks with the DC, temperature, clock and first user-poll groups
// shown; the temperatures are hidden before the third. The header lists the
// captions and the address edits; the rows cut units, keep user values whole
// and split the inverter clock into its cells.
TEST_F(Recorder, RecordsTheShownGroupsTickByTick) {
  for (const char* p : {"Group_GetDC1", "Group_Temper1", "Group_InvTime", "Group_Poll01"}) t.ShowPanel(p);
  std::vector<uint16_t> dc(19, 0);
  dc[1] = 3001, dc[2] = 1000, dc[3] = 500;
  SetInputs(t.sim, 45056, dc);
  SetInputs(t.sim, 1080, {25, 41, 0xFFF6, 60});
  SetInputs(t.sim, 1033, {2024, 3, 5, 9, 5, 7});
  t.sim.SetHolding(1, 100, 7);
  w.Ctl<QLineEdit>("Edit_PollAddr01")->setText("100");
  w.Ctl<QComboBox>("Combo_PollType01")->setCurrentIndex(2);  // holding register
  w.Ctl<QLineEdit>("Edit_PollAddr02")->setText(QString::fromUtf8("caf\u00e9"));
  Pass();

  t.dialogs.answers.push_back("5");
  w.Image_DataLogClick();
  ASSERT_EQ(DataLogActive, 1);
  EXPECT_EQ(Timer("Timer_Record")->interval(), 5000);
  EXPECT_TRUE(Timer("Timer_Record")->isActive());
  EXPECT_TRUE(Timer("Timer_Datalog")->isActive());
  ASSERT_EQ(t.dialogs.prompts.size(), 1u);
  EXPECT_EQ(t.dialogs.prompts[0].caption, "Period");
  EXPECT_EQ(t.dialogs.prompts[0].prompt, "Please Input Interval(sec)");
  EXPECT_EQ(t.dialogs.prompts[0].proposed, "2");
  EXPECT_EQ(w.DataLogFileName, Log("2024.3.5_001.csv"));

  w.Timer_RecordTimer();
  EXPECT_EQ(w.StatusText(9), "Report: 1");
  now = now.addSecs(5);
  dc[1] = 3105, dc[2] = 1234;
  SetInputs(t.sim, 45056, dc);
  t.sim.SetHolding(1, 100, 65535);
  Pass();
  w.Timer_RecordTimer();
  t.ShowPanel("Group_Temper1", false);
  now = QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0));
  w.Timer_RecordTimer();
  EXPECT_EQ(w.StatusText(9), "Report: 3");
  EXPECT_TRUE(t.dialogs.messages.isEmpty()) << t.dialogs.messages.join('|').toStdString();

  const QByteArray expected =
      ",Vdc1,Idc1,Pdc1,Ambient,Boost-1,Boost-2,Inverter-S,Year,Month,Day,Hour,Minute,Second,RTC,"
      "100,caf\xe9,,,,,,,,,\r\n"
      "9:5:7,300.1,10.00,500,25,41,-10,60,2024,03,05,09,05,07,??,7,??,??,??,??,??,??,??,??,??,\r\n"
      "9:5:12,310.5,12.34,500,25,41,-10,60,2024,03,05,09,05,07,??,65535,??,??,??,??,??,??,??,??,??,\r\n"
      "10:0:0,310.5,12.34,500,2024,03,05,09,05,07,??,65535,??,??,??,??,??,??,??,??,??,\r\n";
  EXPECT_EQ(Read(w.DataLogFileName), expected);
}

// While the interval prompt is open the row timer keeps writing at its
// previous interval; the answer then sets the new one.
TEST_F(Recorder, RowsGoOnWhileTheIntervalPromptIsOpen) {
  struct PumpingPrompt : FakeDialogs {
    TForm_Main* w = nullptr;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override {
      prompts.push_back({caption, prompt, value});
      // Modal: the event loop runs until the timer has written two rows.
      const QDeadlineTimer limit(20000);
      while (w->DataLogRowCount < 2 && !limit.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
      value = "7";
      return true;
    }
  } prompt;
  prompt.w = &w;
  t.ShowPanel("Group_GetVbus");
  Timer("Timer_Record")->setInterval(5);  // the interval chosen last time
  w.Image_DataLogClick();
  EXPECT_EQ(w.DataLogRowCount, 2);
  EXPECT_EQ(Timer("Timer_Record")->interval(), 7000);
  EXPECT_EQ(Read(w.DataLogFileName), ",Pbus,Nbus,\r\n9:5:7,??,??,\r\n9:5:7,??,??,\r\n");
  EXPECT_EQ(w.StatusText(9), "Report: 2");
}

TEST_F(Recorder, IntervalAboveADayIsRefusedWithAMessage) {
  t.dialogs.answers.push_back("86401");
  w.Image_DataLogClick();
  EXPECT_EQ(DataLogActive, 1);
  EXPECT_EQ(Timer("Timer_Record")->interval(), 2000);
  ASSERT_EQ(t.dialogs.messages.size(), 1);
  EXPECT_TRUE(t.dialogs.messages[0].contains("86400")) << t.dialogs.messages[0].toStdString();
}

// No free file name: the recording does not start, and no log is touched.
TEST_F(Recorder, NoFreeNameRefusesToStart) {
  QDir().mkpath(Log(""));
  for (int n = 1; n <= 998; ++n) {
    QFile f(Log("2024.3.5_") + QString("%1.csv").arg(n, 3, 10, QLatin1Char('0')));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old\r\n");
  }
  w.DataLogFileName = Log("2024.3.5_998.csv");  // the last recording's file
  w.Image_DataLogClick();
  EXPECT_EQ(DataLogActive, 0);
  EXPECT_FALSE(Timer("Timer_Record")->isActive());
  EXPECT_FALSE(Timer("Timer_Datalog")->isActive());
  EXPECT_TRUE(t.dialogs.prompts.empty());
  ASSERT_EQ(t.dialogs.messages.size(), 1);
  EXPECT_EQ(Read(Log("2024.3.5_998.csv")), "old\r\n");
  EXPECT_EQ(Read(Log("2024.3.5_001.csv")), "old\r\n");
}

// A disk that fills during a recording: a message, the recording stops, and
// the header and the rows written before stay whole.
TEST_F(Recorder, FullDiskStopsTheRecordingWithAMessage) {
  t.ShowPanel("Group_GetVbus");
  t.dialogs.answers.push_back("3");
  w.Image_DataLogClick();
  w.Timer_RecordTimer();
  const QByteArray before = Read(w.DataLogFileName);
  ASSERT_EQ(before, ",Pbus,Nbus,\r\n9:5:7,??,??,\r\n");

  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = static_cast<rlim_t>(before.size() + 3);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  w.Timer_RecordTimer();
  setrlimit(RLIMIT_FSIZE, &saved);

  EXPECT_EQ(Read(w.DataLogFileName), before);
  EXPECT_EQ(DataLogActive, 0);
  EXPECT_FALSE(Timer("Timer_Record")->isActive());
  EXPECT_FALSE(Timer("Timer_Datalog")->isActive());
  ASSERT_EQ(t.dialogs.messages.size(), 1);
  EXPECT_TRUE(t.dialogs.messages[0].contains(w.DataLogFileName));
}

TEST_F(Recorder, StopKeepsTheCountAndRestartMakesANewFile) {
  t.ShowPanel("Group_GetVbus");
  t.dialogs.answers = {"2", "2"};
  w.Image_DataLogClick();
  w.Timer_RecordTimer();
  const QString first = w.DataLogFileName;
  auto* pages = w.Ctl<QTabWidget>("PageControl");
  EXPECT_FALSE(pages->isTabVisible(pages->indexOf(w.Control("TabSheet2")))) << "only Main while recording";

  w.Image_DataLogClick();
  EXPECT_EQ(DataLogActive, 0);
  EXPECT_FALSE(Timer("Timer_Record")->isActive());
  EXPECT_FALSE(Timer("Timer_Datalog")->isActive());
  EXPECT_EQ(w.StatusText(9), "Report: 1");
  EXPECT_TRUE(pages->isTabVisible(pages->indexOf(w.Control("TabSheet2"))));
  EXPECT_TRUE(pages->isTabVisible(pages->indexOf(w.Control("TabSheet3"))));

  w.Image_DataLogClick();
  EXPECT_EQ(w.DataLogRowCount, 0);
  EXPECT_EQ(w.DataLogFileName, Log("2024.3.5_002.csv"));
  EXPECT_EQ(Read(w.DataLogFileName), ",Pbus,Nbus,\r\n");
  EXPECT_EQ(Read(first), ",Pbus,Nbus,\r\n9:5:7,??,??,\r\n");
}

TEST_F(Recorder, ChecksBeforeStartOrStop) {
  w.Ctl<QPushButton>("OpenPort")->setEnabled(true);
  w.Image_DataLogClick();
  auto* pages = w.Ctl<QTabWidget>("PageControl");
  w.Ctl<QPushButton>("OpenPort")->setEnabled(false);
  SetTabVisible(pages, w.Control("TabSheet1"), false);
  w.Image_DataLogClick();
  EXPECT_EQ(t.dialogs.messages,
            QStringList({"You have to communicate with Inverters first", "Please Select Monitor Mode"}));
  EXPECT_EQ(DataLogActive, 0);
  EXPECT_FALSE(QDir(Log("")).exists());

  // A SuperUser records with no link open.
  w.IsSuperUser = 1;
  w.Ctl<QPushButton>("OpenPort")->setEnabled(true);
  w.Image_DataLogClick();
  EXPECT_EQ(DataLogActive, 1);
  EXPECT_EQ(t.dialogs.messages.size(), 2);
}

TEST_F(Recorder, TicksStopThemselvesAfterTheStopRequest) {
  t.dialogs.answers.push_back("2");
  w.Image_DataLogClick();
  w.PollStop = 1;
  w.Timer_RecordTimer();
  w.Timer_DatalogTimer();
  EXPECT_FALSE(Timer("Timer_Record")->isActive());
  EXPECT_FALSE(Timer("Timer_Datalog")->isActive());
  EXPECT_EQ(w.StatusText(9), "Report: 1") << "the last tick still writes";
  EXPECT_EQ(Read(w.DataLogFileName).count("\r\n"), 2);
}

// The icon's frame counter is never reset: frames 1, 2, 0, 1 from start-up.
TEST_F(Recorder, IconCyclesThroughThreeFrames) {
  auto* pic = w.Ctl<ImageBox>("Image_DataLog");
  ASSERT_NE(RecordIconFrame(0), RecordIconFrame(1));
  ASSERT_NE(RecordIconFrame(1), RecordIconFrame(2));
  for (int frame : {1, 2, 0, 1}) {
    w.Timer_DatalogTimer();
    const IconTable& table = RecordIconFrame(frame);
    for (int x : {0, 23, 37, 46})
      for (int y : {0, 24, 38, 47})
        ASSERT_EQ(pic->Pixel(x, y), TableColor(table[x * kIconRows + y])) << frame << " " << x << "," << y;
  }
}
}  // namespace
