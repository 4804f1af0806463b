#pragma once
#include <cstdint>

class Modbus;

// Service and engineering panels: read-back only. The editors on the same
// panels paint a label red when they post a value; these items paint it blue
// again from the value the inverter reports.

// Relay operation counters of the DC relays.
int PollDcRelayAccTimes(Modbus* link, uint8_t stop);
// Anti-PID trip time and state.
int PollAntiPid(Modbus* link, uint8_t stop);
// Plant input and output totals (only for a hidden AC or DC panel), reactive
// power and power factor.
int PollTotalPower(Modbus* link, uint8_t stop);
// Repair mode, data-save register and grid lock.
int PollFactory(Modbus* link, uint8_t stop);
// AC terminal type (3P3W or 3P4W).
int PollAcTerminal(Modbus* link, uint8_t stop);
// Fan test mode and duty.
int PollFanTest(Modbus* link, uint8_t stop);
// Calibration channel and its twelve gains.
int PollVIPGain(Modbus* link, uint8_t stop);
