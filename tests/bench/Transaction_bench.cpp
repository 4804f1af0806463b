// Cost of one serial transaction against the simulated inverter over a pty:
// wall time against the 30 ms turnaround floor, and the GUI thread's CPU time
// (the simulated inverter runs on its own thread and is not counted).
#include <time.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/Myfunc.h"
#include "link/Modbus.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"

namespace {

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
  double meanWall, p50Wall, p95Wall, maxWall, cpuPer, cpuShare;
  int valid;
};

Figures Measure(Modbus& link, int count, int16_t registers) {
  std::vector<double> walls;
  walls.reserve(static_cast<size_t>(count));
  int valid = 0;
  const double cpu0 = ThreadCpuMs();
  double total = 0;
  for (int i = 0; i < count; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    link.Request(1, registers, 3);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    walls.push_back(ms);
    total += ms;
    valid += link.ReplyValid;
  }
  const double cpu = ThreadCpuMs() - cpu0;
  std::sort(walls.begin(), walls.end());
  return {total / count, walls[walls.size() / 2], walls[walls.size() * 95 / 100], walls.back(), cpu / count,
          100.0 * cpu / total, valid};
}

void Print(const char* what, int count, const Figures& f) {
  std::printf("%-28s n=%-4d wall mean %6.1f ms  p50 %6.1f  p95 %6.1f  max %6.1f  | CPU %6.3f ms/transaction (%4.2f%% of one core)  valid %d/%d\n",
              what, count, f.meanWall, f.p50Wall, f.p95Wall, f.maxWall, f.cpuPer, f.cpuShare, f.valid, count);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  FakeDialogs dialogs;
  sim::SimInverter sim;
  sim.AddSlave(1);
  for (int r = 1; r <= 60; ++r) sim.SetHolding(1, r, static_cast<uint16_t>(r * 3));

  auto link = std::make_unique<Modbus>();
  if (link->OpenSerial(sim.PortPath()) != 0) return 1;
  link->SlaveId = 1;
  link->SetBaudIndex(1);

  const int n = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  std::printf("Serial transaction over a pty (no line time), 30 ms turnaround floor\n");
  Measure(*link, 5, 1);  // warm up
  Print("read 1 holding register", n, Measure(*link, n, 1));
  Print("read 60 holding registers", n, Measure(*link, n, 60));

  // The share of the 30 ms turnaround wait in those figures.
  {
    const double cpu0 = ThreadCpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) DelayMs(30);
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = ThreadCpuMs() - cpu0;
    std::printf("%-28s n=%-4d wall mean %6.1f ms                              | CPU %6.3f ms each (%4.2f%% of one core)\n",
                "turnaround wait alone", n, wall / n, cpu / n, 100.0 * cpu / wall);
  }

  // A waiting exchange: nobody answers, the whole 4 x 50 ms budget runs out.
  sim.SetStandingFault(sim::ReplyFault::Silent());
  Print("silent (time-out) exchange", 10, Measure(*link, 10, 1));
  link->Port.Close();
  return 0;
}
