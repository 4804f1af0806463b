// The data log's file code: the group table, the cells, the file names, and
// writes that must never empty or damage a log.
#include "logs/DataLog.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

namespace {

struct FakeScreen : DataLogScreen {
  QSet<QString> shown;
  QHash<QString, QString> texts;
  bool GroupShown(const char* panel) const override { return shown.contains(QLatin1String(panel)); }
  QString LabelText(const char* name) const override { return texts.value(QLatin1String(name)); }
  QString EditText(const char* name) const override { return texts.value(QLatin1String(name)); }
};

int Cells(const DataLogRowCell& c) { return c.rule == CellRule::Date || c.rule == CellRule::Time ? 3 : 1; }

struct Home {
  QTemporaryDir dir;
  Home() { qputenv("QORVANE_HOME", dir.path().toUtf8()); }
  ~Home() { qunsetenv("QORVANE_HOME"); }
  QString Log(const QString& name) const { return dir.filePath("DataLog/" + name); }
};

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

struct FixedClock {
  FixedClock() {
    DataLogClock = [] { return QDateTime(QDate(2024, 3, 5), QTime(9, 5, 7)); };
    DataLogPause = [this] { ++pauses; };
  }
  ~FixedClock() {
    DataLogClock = [] { return QDateTime::currentDateTime(); };
    DataLogPause = [] {};
  }
  int pauses = 0;
};

}  // namespace

// Every group names each of its row cells once in its header, so a column
// never carries another column's title; no group is listed twice.
TEST(DataLogGroups, HeaderAndRowCellsAgreeGroupByGroup) {
  QSet<QString> panels;
  for (const DataLogGroup& g : DataLogGroups()) {
    int rowCells = 0;
    for (const DataLogRowCell& c : g.row) rowCells += Cells(c);
    EXPECT_EQ(int(g.header.size()), rowCells) << g.panel;
    EXPECT_FALSE(panels.contains(g.panel)) << g.panel;
    panels.insert(g.panel);
  }
  EXPECT_EQ(panels.size(), 24);
}

// With every group shown, the header and a row have the same number of cells,
// and each group's cells sit at the same columns in both.
TEST(DataLogGroups, AllGroupsShownGiveEqualColumns) {
  FakeScreen s;
  for (const DataLogGroup& g : DataLogGroups()) s.shown.insert(g.panel);
  const QByteArray header = DataLogHeaderLine(s);
  const QByteArray row = DataLogRowLine(s, QTime(0, 0, 0));
  EXPECT_EQ(header.count(','), row.count(','));
  // Spot checks of the place: the string currents follow the insulation
  // cells in the header; in a row their labels land at the same column.
  const QList<QByteArray> titles = header.trimmed().split(',');
  const int sc1 = titles.indexOf("sc1");
  ASSERT_GT(sc1, 0);
  EXPECT_EQ(titles[sc1 - 1], "string2");
  s.texts["Label_StringCurr1"] = "4.25 A";
  EXPECT_EQ(DataLogRowLine(s, QTime(0, 0, 0)).trimmed().split(',')[sc1], "4.25");
  // Each reading lands under its own title, not a neighbour's.
  const std::pair<const char*, const char*> titled[] = {
      {"Vdc1", "Label_Vdc1"},      {"Idc1", "Label_Idc1"}, {"Pdc1", "Label_Pdc1"},
      {"Vac1", "Label_VacR_Grid"}, {"Iac1", "Label_IacR"}, {"Pac1", "Label_PacR"}, {"Fac1", "Label_FacR"},
      {"Vac2", "Label_VacS_Grid"}, {"Iac2", "Label_IacS"}, {"Pac2", "Label_PacS"}, {"Fac2", "Label_FacS"},
      {"Vac3", "Label_VacT_Grid"}, {"Iac3", "Label_IacT"}, {"Pac3", "Label_PacT"}, {"Fac3", "Label_FacT"},
      {"Pbus", "Label_PBus"},      {"Nbus", "Label_NBus"},
  };
  int n = 0;
  for (const auto& [title, label] : titled) s.texts[label] = QString::number(++n) + " V";
  const QList<QByteArray> cells = DataLogRowLine(s, QTime(0, 0, 0)).trimmed().split(',');
  n = 0;
  for (const auto& [title, label] : titled) {
    const int k = titles.indexOf(title);
    ASSERT_GT(k, 0) << title;
    EXPECT_EQ(cells[k], QByteArray::number(++n)) << title;
  }
}

TEST(DataLogCells, RulesCutCaptionsAsTheLogNeedsThem) {
  struct Case {
    const char* panel;
    const char* label;
    QString caption;
    QByteArray cells;  // the row after the time cell
  } cases[] = {
      {"Group_GetVbus", "Label_PBus", "230.5 V", "230.5,,"},
      {"Group_GetVbus", "Label_PBus", "??", "??,,"},
      {"Group_GetVbus", "Label_PBus", "", ",,"},
      {"Group_GetVbus", "Label_PBus", "12\r3", "12,,"},
      {"Group_TestValue", "Label_TestValN0", "a b c", "a b c,,,,,,,,,,,,"},
      {"Group_InvTime", "Label_InvYMD", "2024/03/05", "2024,03,05,,,,,"},
      {"Group_InvTime", "Label_InvHMS", "09:05:07", ",,,09,05,07,,"},
      {"Group_InvTime", "Label_InvYMD", "??", "??,,,,,,,"},
  };
  for (const Case& c : cases) {
    FakeScreen s;
    s.shown.insert(c.panel);
    s.texts[c.label] = c.caption;
    EXPECT_EQ(DataLogRowLine(s, QTime(9, 5, 7)), "9:5:7," + c.cells + "\r\n") << c.label << " " << c.caption.toStdString();
  }
}

TEST(DataLogCells, HeaderTakesCaptionsAndEditTextsInTheWindowsCodePage) {
  FakeScreen s;
  s.shown = {"Group_Temper2", "Group_Poll02"};
  s.texts["Label_TemperTitle21"] = "THS_R";
  s.texts["Label_TemperTitle24"] = QString::fromUtf8("T_\u00e9");
  s.texts["Edit_PollAddr11"] = "100";
  s.texts["Edit_PollAddr110"] = QString::fromUtf8("\u20ac");
  EXPECT_EQ(DataLogHeaderLine(s), QByteArray(",THS_R,,,T_\xe9,100,,,,,,,,,\x80,\r\n"));
}

TEST(DataLogFileName, FirstFreeNumberOfTheDay) {
  Home home;
  FixedClock clock;
  QString name = "before";
  ASSERT_EQ(NewDataLogFileName(name), 0);
  EXPECT_EQ(name, home.Log("2024.3.5_001.csv"));
  Write(name, "x");
  Write(home.Log("2024.3.5_003.csv"), "x");
  ASSERT_EQ(NewDataLogFileName(name), 0);
  EXPECT_EQ(name, home.Log("2024.3.5_002.csv"));
  QFile::remove(home.Log("2024.3.5_001.csv"));
  ASSERT_EQ(NewDataLogFileName(name), 0);
  EXPECT_EQ(name, home.Log("2024.3.5_001.csv"));
}

TEST(DataLogFileName, NoNameWhenAllAreTakenOrTheFolderCannotBeMade) {
  {
    Home home;
    FixedClock clock;
    QDir().mkpath(home.dir.filePath("DataLog"));
    for (int n = 1; n <= 998; ++n) Write(home.Log(QString("2024.3.5_%1.csv").arg(n, 3, 10, QLatin1Char('0'))), "");
    QString name = "kept";
    EXPECT_EQ(NewDataLogFileName(name), 1);
    EXPECT_EQ(name, "kept");
  }
  {
    Home home;
    FixedClock clock;
    Write(home.dir.filePath("DataLog"), "a file where the folder belongs");
    QString name = "kept";
    EXPECT_EQ(NewDataLogFileName(name), 1);
    EXPECT_EQ(name, "kept");
  }
}

TEST(DataLogHeader, NeverEmptiesAnExistingLog) {
  Home home;
  FixedClock clock;
  FakeScreen s;
  s.shown.insert("Group_GetVbus");
  QDir().mkpath(home.dir.filePath("DataLog"));
  const QString old = home.Log("2024.3.5_001.csv");
  Write(old, ",Pbus,Nbus,\r\n9:0:0,1,2,\r\n");
  EXPECT_EQ(WriteDataLogHeader(s, old), DataLogOpenFailed);
  EXPECT_EQ(Read(old), ",Pbus,Nbus,\r\n9:0:0,1,2,\r\n");

  const QString fresh = home.Log("2024.3.5_002.csv");
  EXPECT_EQ(WriteDataLogHeader(s, fresh), DataLogOk);
  EXPECT_EQ(Read(fresh), ",Pbus,Nbus,\r\n");
}

TEST(DataLogRow, AppendsOnlyToALogThatExists) {
  Home home;
  FixedClock clock;
  FakeScreen s;
  s.shown.insert("Group_GetVbus");
  s.texts["Label_PBus"] = "380.0 V";
  const QString gone = home.Log("gone.csv");
  EXPECT_EQ(AppendDataLogRow(s, gone), DataLogMissing);
  EXPECT_FALSE(QFile::exists(gone));
  EXPECT_EQ(clock.pauses, 0) << "a missing file is skipped without a pause";
}

// A name that exists but will not open (here a folder) is tried ten times
// with a pause after each failure; nothing is written.
TEST(DataLogRow, UnopenableFileIsTriedTenTimesThenTheRowIsDropped) {
  Home home;
  FixedClock clock;
  FakeScreen s;
  const QString log = home.Log("2024.3.5_001.csv");
  ASSERT_TRUE(QDir().mkpath(log));
  EXPECT_EQ(AppendDataLogRow(s, log), DataLogOpenFailed);
  EXPECT_EQ(clock.pauses, 10);
}

// A file system that takes no more bytes: the row that does not fit is taken
// back whole and the rows before it stay as they were.
TEST(DataLogRow, FullDiskLeavesEarlierRowsIntact) {
  Home home;
  FixedClock clock;
  FakeScreen s;
  s.shown.insert("Group_GetVbus");
  s.texts["Label_PBus"] = "380.0 V";
  s.texts["Label_NBus"] = "379.5 V";
  QDir().mkpath(home.dir.filePath("DataLog"));
  const QString log = home.Log("2024.3.5_001.csv");
  ASSERT_EQ(WriteDataLogHeader(s, log), DataLogOk);
  ASSERT_EQ(AppendDataLogRow(s, log), DataLogOk);
  const QByteArray before = Read(log);
  ASSERT_EQ(before, ",Pbus,Nbus,\r\n9:5:7,380.0,379.5,\r\n");

  // The file may grow by 5 bytes only: the next row is cut short by the
  // system, as on a full disk.
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = static_cast<rlim_t>(before.size() + 5);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = AppendDataLogRow(s, log);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(result, DataLogWriteFailed);
  EXPECT_EQ(Read(log), before);

  EXPECT_EQ(AppendDataLogRow(s, "/dev/full"), DataLogWriteFailed);
}

TEST(DataLogInterval, AnswersGiveTheirIntervalOrTwoSeconds) {
  const struct {
    const char* answer;
    int ms;
  } cases[] = {
      {"5", 5000},       {"1", 1000},         {"86400", 86400000}, {"0", 2000},
      {"-3", 2000},      {"abc", 2000},       {"2.5", 2000},       {"", 2000},
      {"Cancel", 2000},  {"86401", -1},       {"2147484", -1},     {"99999999999", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(DataLogIntervalMs(c.answer), c.ms) << c.answer;
}
