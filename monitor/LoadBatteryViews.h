#pragma once
#include <cstdint>

class Modbus;

// Load outputs 1 and 2: voltage, current, power and frequency from the paged
// measurement window.
int PollLoadPower1(Modbus* link, uint8_t stop);
int PollLoadPower2(Modbus* link, uint8_t stop);
// Feed-in subsidy settings read back.
int PollSubsidy(Modbus* link, uint8_t stop);
// Battery control settings read back: mode, SOC limit, peak cut, time windows.
int PollBTCTRL(Modbus* link, uint8_t stop);
// Battery measurements and current limits.
int PollBTInfo(Modbus* link, uint8_t stop);
