#pragma once
#include <cstdint>

class Modbus;

// The energy of the last 32 days, today first, each dated by counting whole
// days back from the device clock.
int PollDailyEnergy(Modbus* link, uint8_t stop);
