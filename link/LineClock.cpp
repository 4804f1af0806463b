#include "link/LineClock.h"

#include <algorithm>
#include <thread>

#include "app/Myfunc.h"

namespace {

LineClock& Installed() {
  static LineClock clock;
  return clock;
}

}  // namespace

void SetLineClock(LineClock clock) { Installed() = std::move(clock); }

LineTimePoint LineNow() {
  const LineClock& clock = Installed();
  return clock ? clock() : std::chrono::steady_clock::now();
}

long long LineMsLeft(LineTimePoint until) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(until - LineNow()).count();
}

void SleepLineMs(int ms) {
  const auto until = LineNow() + std::chrono::milliseconds(ms);
  // In short steps, so that a clock that stood still is looked at again.
  for (long long left = LineMsLeft(until); left > 0; left = LineMsLeft(until))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 5LL)));
}

int DelayLineMs(int ms) {
  const auto until = LineNow() + std::chrono::milliseconds(ms);
  while (LineMsLeft(until) > 0) DelayMs(10);
  return 0;
}
