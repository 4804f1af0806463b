#include "upgrade/UpgradeRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <vector>

#include "link/Modbus.h"
#include "platform/ProgramFolder.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

std::function<QDateTime()> UpgradeClock;

QDateTime UpgradeNow() { return UpgradeClock ? UpgradeClock() : QDateTime::currentDateTime(); }

int SecondOfDay(const QTime& t) { return t.hour() * 3600 + t.minute() * 60 + t.second(); }

int RunSeconds(int startSecondOfDay, int endSecondOfDay) {
  const int seconds = endSecondOfDay - startSecondOfDay;
  return seconds < 0 ? seconds + 86400 : seconds;
}

namespace {
const QString kBeginLine = QStringLiteral(
    "||-----------------------------------------Programming Begin---------------------------------------||");

QString ClockText(const QTime& t) {
  return QString::number(t.hour()) + u':' + QString::number(t.minute()) + u':' + QString::number(t.second());
}

// Begin and start-time lines; the start second of the day.
int LogBegin(upgradeTool& tool) {
  tool.Log(kBeginLine);
  const QTime start = UpgradeNow().time();
  tool.Log(QStringLiteral("Start Time: ") + ClockText(start));
  return SecondOfDay(start);
}

void LogEnd(upgradeTool& tool, int startSecond) {
  const QTime end = UpgradeNow().time();
  tool.Log(QStringLiteral("End Time: ") + ClockText(end));
  tool.Log(QStringLiteral("Total Time: ") + QString::number(RunSeconds(startSecond, SecondOfDay(end))) +
           QStringLiteral(" S"));
}

void DisableStart(upgradeTool& tool) {
  if (tool.Views) tool.Views->SetStartEnabled(false);
}

int Call(const std::function<int(upgradeTool&)>& step, upgradeTool& tool, int (upgradeTool::*own)()) {
  return step ? step(tool) : (tool.*own)();
}

bool AnySelected(const upgradeTool& tool) {
  for (int id = 1; id <= upgradeTool::kLastId; ++id)
    if (tool.Selected[id] == 1) return true;
  return false;
}

// A selected device that left the broadcast run (its step not acknowledged).
bool AnySelectedFailed(const upgradeTool& tool) {
  for (int id = 1; id <= upgradeTool::kLastId; ++id)
    if (tool.Selected[id] == 1 && tool.StepOk[id] == 0) return true;
  return false;
}

// Up to three attempts of one procedure, each with a longer extra delay.
// 0 when one succeeded.
int Attempts(upgradeTool& tool, const std::function<int(upgradeTool&)>& step, int (upgradeTool::*own)(),
             int pauseAfterFailure) {
  for (int j = 0; j < 3; ++j) {
    tool.Info.AttemptDelay = tool.Info.Delay + 20 * j;
    if (Call(step, tool, own) == 0) return 0;
    tool.LogRed(QStringLiteral("Procedure Fail"));
    tool.Pause(pauseAfterFailure);
  }
  return 1;
}
}  // namespace

int RunSerialUpgrade(upgradeTool& tool, const UpgradeSteps& steps) {
  // An image with nothing in it would only erase the devices.
  if ((tool.Info.Length10 < 1000 && tool.Info.Length20 < 1000) || tool.Grid.ImageRows() == 0) {
    tool.Message(QStringLiteral("Please Load Hex File First"));
    return UpgradeNotStarted;
  }
  if (!AnySelected(tool)) {
    tool.Message(QStringLiteral("Please Select least one inverter"));
    return UpgradeNotStarted;
  }
  DisableStart(tool);
  const int startSecond = LogBegin(tool);

  // The done step deselects a programmed device, so the devices whose
  // version is checked afterwards are the ones chosen now.
  std::vector<int> chosen;
  for (int id = 1; id <= upgradeTool::kLastId; ++id)
    if (tool.Selected[id] == 1 && tool.Present(id)) chosen.push_back(id);

  // The one-by-one procedures take bootloader version 2, the broadcast one 3
  // and on: a device that reported another would be passed over by all of
  // them while the run went on as if it had been programmed. Such a run
  // sends nothing and fails.
  bool unhandled = false;
  for (int id : chosen)
    if (tool.BootVersion[id] < 2) {
      tool.LogRed(IdText(id) + QStringLiteral(": Bootloader Version %1 Not Supported").arg(tool.BootVersion[id]));
      unhandled = true;
    }

  int result = UpgradeFailed;
  // A failed boot attempt waits for the devices to fall back out of their
  // bootloaders before the next one; the one-by-one V02 retries at once.
  if (!unhandled && Attempts(tool, steps.Boot, &upgradeTool::RunBootProcedure, 20000) == 0 &&
      Attempts(tool, steps.V02, &upgradeTool::RunV02Procedure, 0) == 0) {
    bool programmed = false;
    for (int j = 0; j < 3; ++j) {
      tool.Info.AttemptDelay = tool.Info.Delay + 20 * j;
      if (Call(steps.V03, tool, &upgradeTool::RunV03Procedure) != 0) {
        tool.LogRed(QStringLiteral("Procedure Stop"));
        break;
      }
      if (!AnySelectedFailed(tool)) {
        programmed = true;
        break;
      }
      // A device left the run before its done step: this attempt failed.
      tool.LogRed(QStringLiteral("Procedure Fail"));
    }
    if (programmed) {
      // The devices restart into their new firmware before they answer.
      for (int k = 0; k < 3; ++k) {
        tool.Pause(5000);
        tool.ProcessEvents();
      }
      const int expected = tool.Info.SwVersionMajor * 100 + tool.Info.SwVersionMinor;
      result = UpgradeCompleted;
      for (int id : chosen) {
        const int r = steps.CheckVersion ? steps.CheckVersion(tool, id, expected, tool.Info.Processor)
                                         : tool.CheckSoftwareVersion(id, expected, tool.Info.Processor);
        if (r != 0) {
          result = UpgradeUncertain;
          break;
        }
      }
    }
  }
  Call(steps.ShowGrid, tool, &upgradeTool::ShowDeviceGrid);
  LogEnd(tool, startSecond);
  return result;
}

int RunTcpUpgrade(upgradeTool& tool, const UpgradeSteps& steps) {
  // Without a single block the procedure would erase the device and send nothing.
  if (tool.Grid.ImageRows() == 0) {
    tool.Message(QStringLiteral("Please Load Hex File First"));
    return UpgradeNotStarted;
  }
  DisableStart(tool);
  const int startSecond = LogBegin(tool);
  int result = 1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    result = Call(steps.Tcp, tool, &upgradeTool::RunTcpProcedure);
    if (result == 0) break;
    // Some failures end the procedure without a line of their own: the log
    // must still say that the attempt failed.
    tool.LogRed(QStringLiteral("Procedure Fail"));
    if (attempt == 2) break;
    tool.Log(QStringLiteral("Retry..."));
    tool.Pause(2000);
  }
  LogEnd(tool, startSecond);
  return result;
}

int RunBinUpgrade(upgradeTool& tool, int linkMode, const UpgradeSteps& steps) {
  // The bootloader frames are for the inverters' bus, not for the Wi-Fi
  // module or the radio dongle.
  if (linkMode != LinkSerial) {
    tool.Message(QStringLiteral("BIN Upgrade Needs The Serial Link"));
    return UpgradeNotStarted;
  }
  if (tool.Grid.ImageRows() == 0) {
    tool.Message(QStringLiteral("Please Load Hex File First"));
    return UpgradeNotStarted;
  }
  if (Call(steps.Bin, tool, &upgradeTool::RunBinProcedure) == 0) return 0;
  tool.LogRed(QStringLiteral("Procedure Stop"));
  return 1;
}

ResultWindow SerialResultWindow(int result) {
  switch (result) {
    case UpgradeCompleted: return ResultWindow::Completed;
    case UpgradeUncertain: return ResultWindow::Uncertain;
    case UpgradeFailed: return ResultWindow::Failed;
    default: return ResultWindow::None;
  }
}

ResultWindow TcpResultWindow(int result) {
  switch (result) {
    case 0: return ResultWindow::Completed;
    case 1: return ResultWindow::Failed;
    default: return ResultWindow::None;
  }
}

QString UpgradeLogFileName(const QString& folder, const QDate& date) {
  const QString stem = folder + QStringLiteral("/Log") + QString::number(date.year()) +
                       QString::number(date.month()).rightJustified(2, u'0') +
                       QString::number(date.day()).rightJustified(2, u'0') + u'_';
  for (int n = 1; n <= 999; ++n) {
    const QString path = stem + QString::number(n) + QStringLiteral(".txt");
    if (!QFileInfo::exists(path)) return path;
  }
  return {};
}

QString WriteUpgradeLog(const QString& text, const QDate& date) {
  const QString folder = ProgramPath(QStringLiteral("UpgradeLog"));
  QDir().mkpath(folder);
  const QString path = UpgradeLogFileName(folder, date);
  if (path.isEmpty()) return {};
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(text.toUtf8());
  return file.commit() ? path : QString();
}
