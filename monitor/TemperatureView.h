#pragma once
#include <cstdint>

class Modbus;

// Four temperature sensors each, present reading and highest recorded.
int PollTemper1(Modbus* link, uint8_t stop);
int PollTemper2(Modbus* link, uint8_t stop);
// Highest voltage, current and power recorded on each of six DC inputs.
int PollMaxInputValue(Modbus* link, uint8_t stop);
// Highest voltage, current, power and frequency recorded on each AC output.
int PollMaxOutputValue(Modbus* link, uint8_t stop);
