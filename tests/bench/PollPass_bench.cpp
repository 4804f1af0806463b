// One polling pass with the version view visible, against the simulated
// inverter over a pty: wall time per pass against the sum of its
// transactions' 30 ms turnaround floors, the GUI thread's CPU time per pass
// (the simulated inverter runs on its own thread and is not counted), and how
// long a click queued during polling waits before it is handled.
//
// With the argument "all": every panel a page layout stores shown at once,
// polled pass by pass, and the process's resident memory at each step (the
// window built, the panels shown, the first pass, the last pass).
#include <time.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/PollFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int kRequestsPerPass = 5;  // the version view's five reads
constexpr double kFloorMs = 30.0;    // turnaround wait before each request

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4;
}

// Every stored panel shown, polled pass by pass as the loop does.
int AllPanels(int passes) {
  const long atStart = ResidentKb();
  auto linked = std::make_unique<polltest::LinkedWindow>();
  TForm_Main& w = linked->w;
  const long built = ResidentKb();
  int panels = 0;
  for (const GroupPanelDecl& d : GroupPanelTable())
    if (d.section) {
      w.Panel(d.name)->setHidden(false);
      ++panels;
    }
  QCoreApplication::processEvents();
  const long shown = ResidentKb();

  auto pass = [&] {
    for (const PollRow& row : PollOrder())
      if (!row.runs || row.runs(w)) row.item(&w.Link, 0);
    QCoreApplication::processEvents();
  };
  const auto t0 = Clock::now();
  pass();
  const double firstMs = Ms(Clock::now() - t0);
  const std::vector<sim::SimFrame> frames = linked->sim.Frames();
  std::set<QByteArray> distinct;
  for (const sim::SimFrame& f : frames) distinct.insert(f.bytes);
  const long afterFirst = ResidentKb();
  for (int p = 1; p < passes; ++p) pass();
  const long afterAll = ResidentKb();

  std::printf("Polling passes, all %d stored panels shown, pty: %zu requests a pass (%zu distinct), first pass %.0f ms\n",
              panels, frames.size(), distinct.size(), firstMs);
  std::printf("resident memory: %ld kB before the window, %ld kB built, %ld kB panels shown, %ld kB after the first "
              "pass, %ld kB after %d passes\n",
              atStart, built, shown, afterFirst, afterAll, passes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], "all") == 0) return AllPanels(argc > 2 ? std::max(2, std::atoi(argv[2])) : 3);
  FakeDialogs dialogs;
  sim::SimInverter sim;
  sim.AddSlave(1);
  for (int k = 0; k < 33; ++k) sim.SetInput(1, 40963 + k, static_cast<uint16_t>(0x0100 + k));

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
  w.Panel("Group_Version")->setHidden(false);

  const int passes = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;

  // Stop as the last pass's last request goes out, so exactly `passes` passes run.
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (sim.Frames().size() >= static_cast<size_t>(passes * kRequestsPerPass)) {
      w.ClosePortClick();
      stopper.stop();
    }
  });
  stopper.start(1);

  // A user clicking a button every 37 ms while the loop polls: the click is
  // queued from another thread, as input arrives from outside, and timed until
  // the click handler runs. The press and release are made and delivered on
  // the GUI thread, where input events belong.
  QPushButton button;
  button.resize(40, 20);
  std::vector<double> latencies;
  std::atomic<int64_t> queuedAt{0};
  QObject::connect(&button, &QPushButton::clicked, [&] {
    latencies.push_back(Ms(Clock::now() - Clock::time_point(Clock::duration(queuedAt.load()))));
  });
  std::atomic<bool> polling{true};
  std::thread user([&] {
    while (polling) {
      std::this_thread::sleep_for(std::chrono::milliseconds(37));
      queuedAt = Clock::now().time_since_epoch().count();
      QMetaObject::invokeMethod(
          &button,
          [&button] {
            const QPointF at(5, 5);
            QMouseEvent press(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&button, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, at, at, at, Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QCoreApplication::sendEvent(&button, &release);
          },
          Qt::QueuedConnection);
    }
  });

  const double cpu0 = ThreadCpuMs();
  const auto t0 = Clock::now();
  w.RunPollingLoop();
  const double wall = Ms(Clock::now() - t0);
  const double cpu = ThreadCpuMs() - cpu0;
  polling = false;
  user.join();
  QCoreApplication::processEvents();

  const double perPass = wall / passes;
  const double floor = kRequestsPerPass * kFloorMs;
  std::sort(latencies.begin(), latencies.end());
  std::printf("Polling pass, version view visible, pty (no line time): %d passes, %d requests each\n", passes,
              kRequestsPerPass);
  std::printf("wall %.1f ms/pass; transaction floors %.0f ms/pass (+10 ms pause between passes); overhead %.1f ms/pass\n",
              perPass, floor, perPass - floor - 10.0);
  std::printf("GUI thread CPU %.3f ms/pass (%.2f%% of one core)\n", cpu / passes, 100.0 * cpu / wall);
  if (!latencies.empty())
    std::printf("queued click handled after: median %.2f ms, p95 %.2f ms, max %.2f ms (%zu clicks)\n",
                latencies[latencies.size() / 2], latencies[latencies.size() * 95 / 100], latencies.back(),
                latencies.size());
  std::printf("replies: %d sent, no reply %d, rejected %d\n", w.Link.TxCount, w.Link.NoReplyCount, w.Link.CrcErrors);
  return 0;
}
