#pragma once
// The upgrade runs the start button makes: which procedures run in which
// order, how often they are tried, the time lines and the numbered upgrade
// log file. No widgets: what a run shows goes through the tool's views, and
// the page shows the result window and saves the log view's text.
#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>

class upgradeTool;

// Results of a HEX run.
enum UpgradeResult {
  UpgradeNotStarted = -1,  // refused before anything was sent (message shown)
  UpgradeCompleted = 0,
  UpgradeUncertain = 1,  // serial: a device reports another version; TCP: failed
  UpgradeFailed = 2,     // serial: a procedure failed on every attempt
};

// The procedures a run calls. Each empty entry calls the tool's own
// operation; tests put their own in to drive the retries.
struct UpgradeSteps {
  std::function<int(upgradeTool&)> Boot, V02, V03, Bin, Tcp;
  std::function<int(upgradeTool&, int id, int expected, int processor)> CheckVersion;
  std::function<int(upgradeTool&)> ShowGrid;
};

// The local clock the runs and the log file read; empty reads the system's.
extern std::function<QDateTime()> UpgradeClock;
QDateTime UpgradeNow();

// Seconds from start to end of a run by their seconds of the day; a run
// over midnight adds a day.
int RunSeconds(int startSecondOfDay, int endSecondOfDay);
int SecondOfDay(const QTime& t);

// The serial HEX run: preconditions, the three procedures with their
// attempts, the version check, the grid refresh and the time lines.
// UpgradeNotStarted when refused, else an UpgradeResult.
int RunSerialUpgrade(upgradeTool& tool, const UpgradeSteps& steps = {});
// The TCP run: the time lines around up to three attempts. The last
// attempt's result (0 completed, 1 failed, any other value: no result
// window), or UpgradeNotStarted when there is nothing to send.
int RunTcpUpgrade(upgradeTool& tool, const UpgradeSteps& steps = {});
// The BIN run, serial link only: 0 done, 1 failed ("Procedure Stop"),
// UpgradeNotStarted when refused.
int RunBinUpgrade(upgradeTool& tool, int linkMode, const UpgradeSteps& steps = {});

// Which result window a run's result shows.
enum class ResultWindow { None, Completed, Uncertain, Failed };
ResultWindow SerialResultWindow(int result);
ResultWindow TcpResultWindow(int result);

// The first free name Log<yyyymmdd>_<n>.txt (n = 1 to 999) in folder, as a
// full path; empty when all 999 exist.
QString UpgradeLogFileName(const QString& folder, const QDate& date);
// Writes text into the first free log file of the date in the program
// folder's UpgradeLog (made when missing). The path written, or empty when
// none was (no report either way).
QString WriteUpgradeLog(const QString& text, const QDate& date);
