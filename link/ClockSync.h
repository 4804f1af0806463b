#pragma once
#include <cstdint>
#include <functional>

// The PC's clock as the clock synchronisation reads it: seconds since
// 1970-01-01 00:00 UTC. Tests install a fixed clock; an empty one returns to
// the system clock.
using ClockSource = std::function<int64_t()>;
void SetClockSource(ClockSource source);
int64_t ClockNow();

// The local standard time (no daylight saving) of the UTC instant t, counted
// in seconds since 1970 as if it were UTC: what the inverters keep.
int64_t LocalStandardSeconds(int64_t t);

class TForm_Main;
// Wires the sync-clock picture and the register-map pictures of the top panel.
void BindClockHandlers(TForm_Main& f);
