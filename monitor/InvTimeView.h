#pragma once
#include <cstdint>

class Modbus;

// The inverter's own clock and its installation date.
int PollInvTime(Modbus* link, uint8_t stop);
