#pragma once
#include <QString>

// One tick of about 10 ms (sleeping in 2 ms steps); processes no events. Returns 1.
int WaitTick10ms();

// Waits ms / 10 ticks and processes the pending events after each tick, so
// the window stays usable while a request is on the wire. Returns 0.
// Callers must expect any window state and the pending command to have
// changed when it returns.
int DelayMs(int ms);
