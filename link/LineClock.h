#pragma once
// The clock that reply time-outs and the waits before a reply is read run on.
// It is the machine's steady clock. A simulated line in the tests puts in its
// own, which stands still while the simulated device has a request in hand,
// so a busy machine cannot make a device's answer late.
#include <chrono>
#include <functional>

using LineTimePoint = std::chrono::steady_clock::time_point;
using LineClock = std::function<LineTimePoint()>;

// An empty clock puts the steady clock back.
void SetLineClock(LineClock clock);
LineTimePoint LineNow();

// Waits ms on the line's clock with no event processing.
void SleepLineMs(int ms);
// How SleepLineMs lets its time pass when not by sleeping: a simulated line
// lets it pass at once, once its devices have answered what they had in
// hand. An empty one puts sleeping back.
void SetLineSleep(std::function<void(int ms)> sleep);
// Waits ms on the line's clock while the window goes on handling its events,
// in the 10 ms ticks of DelayMs.
int DelayLineMs(int ms);
