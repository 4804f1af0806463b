#include "link/LineClock.h"

#include <algorithm>
#include <thread>

#include "app/Myfunc.h"

namespace {

LineClock& Installed() {
  static LineClock clock;
  return clock;
}

std::function<void(int)>& InstalledSleep() {
  static std::function<void(int)> sleep;
  return sleep;
}

}  // namespace

void SetLineClock(LineClock clock) { Installed() = std::move(clock); }

void SetLineSleep(std::function<void(int ms)> sleep) { InstalledSleep() = std::move(sleep); }

LineTimePoint LineNow() {
  const LineClock& clock = Installed();
  return clock ? clock() : std::chrono::steady_clock::now();
}

void SleepLineMs(int ms) {
  if (ms <= 0) return;
  if (const auto& sleep = InstalledSleep()) {
    sleep(ms);
    return;
  }
  const auto until = LineNow() + std::chrono::milliseconds(ms);
  // In short steps, so that a clock that stood still is looked at again.
  for (auto now = LineNow(); now < until; now = LineNow())
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(5)));
}

int DelayLineMs(int ms) {
  const auto until = LineNow() + std::chrono::milliseconds(ms);
  while (LineNow() < until) DelayMs(10);
  return 0;
}
