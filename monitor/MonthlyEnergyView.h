#pragma once
#include <cstdint>

class Modbus;

// The energy of the last 24 months, the current one first, each named by
// counting whole months back from the device's year and month.
int PollMonthlyEnergy(Modbus* link, uint8_t stop);
