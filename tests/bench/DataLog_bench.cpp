// The data-log recorder with every group the log knows shown, the values
// painted by polling passes against the simulated inverter over a pty: wall
// and GUI-thread CPU time per row written, and resident memory as the rows
// add up (it should stay flat).
#include <time.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "link/PollingLoop.h"
#include "logs/DataLog.h"
#include "profiles/Designmode.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("QORVANE_HOME", home.path().toUtf8());
  QApplication app(argc, argv);
  FakeDialogs dialogs;
  sim::SimInverter sim;
  sim.AddSlave(1);
  for (int k = 0; k < 19; ++k) sim.SetInput(1, 45056 + k, static_cast<uint16_t>(1000 + k));
  sim.SetHolding(1, 100, 7);

  TForm_Main w;
  w.PowerMul = 1;
  w.EnergyMul = 10;
  w.VoltageDiv = 10;
  w.DcCurrentDiv = 100;
  w.AcCurrentDiv = 100;
  if (w.Link.OpenSerial(sim.PortPath()) != 0) return 1;
  w.Link.SlaveId = 1;
  w.Link.SetBaudIndex(1);
  w.LinkOpen = true;
  w.Ctl<QPushButton>("OpenPort")->setEnabled(false);
  SetTabVisible(w.Ctl<QTabWidget>("PageControl"), w.Control("TabSheet1"), true);
  int cells = 0;
  for (const DataLogGroup& g : DataLogGroups()) {
    w.Panel(g.panel)->setHidden(false);
    cells += int(g.header.size());
  }
  for (int list = 0; list < 4; ++list)
    for (int row = 1; row <= 10; ++row)
      if (auto* e = w.Ctl<QLineEdit>(QString("Edit_PollAddr%1%2").arg(list).arg(row))) e->setText("100");

  auto pass = [&] {
    for (const PollRow& row : PollOrder())
      if (!row.runs || row.runs(w)) row.item(&w.Link, 0);
  };
  pass();

  const int rows = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 10000;
  const int rowsPerPass = 1000;
  dialogs.answers.push_back("2");
  w.Image_DataLogClick();
  w.findChild<QTimer*>("Timer_Record")->stop();  // ticks are driven below
  w.findChild<QTimer*>("Timer_Datalog")->stop();

  double cpu = 0, wall = 0;
  long rssAt1000 = 0;
  for (int r = 1; r <= rows; ++r) {
    if (r % rowsPerPass == 0) pass();
    const double c0 = ThreadCpuMs();
    const auto t0 = Clock::now();
    w.Timer_RecordTimer();
    wall += Ms(Clock::now() - t0);
    cpu += ThreadCpuMs() - c0;
    if (r == 1000) rssAt1000 = ResidentKb();
  }
  const long rssEnd = ResidentKb();
  QFile log(w.DataLogFileName);
  std::printf("Data log, all %d groups shown (%d cells a line), values from polling passes on a pty\n",
              int(DataLogGroups().size()), cells);
  std::printf("%d rows: wall %.3f ms/row, GUI thread CPU %.3f ms/row\n", rows, wall / rows, cpu / rows);
  std::printf("resident memory: %ld kB after 1,000 rows, %ld kB after %d rows (%+ld kB)\n", rssAt1000, rssEnd, rows,
              rssEnd - rssAt1000);
  std::printf("file: %lld bytes, %s\n", static_cast<long long>(log.size()), qPrintable(w.StatusText(9)));
  return 0;
}
