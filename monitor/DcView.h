#pragma once
#include <cstdint>

class Modbus;

// The DC side: voltage, current and power of the six inputs with the input
// totals, and the 24 string currents.
int PollDC(Modbus* link, uint8_t stop);
int PollStringCurr(Modbus* link, uint8_t stop);
