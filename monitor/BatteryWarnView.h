#pragma once
#include <cstdint>

class Modbus;

// State of battery module 1 and 2.
int PollBTModule1(Modbus* link, uint8_t stop);
int PollBTModule2(Modbus* link, uint8_t stop);
// Up to five texts of the warning bits that are set.
int PollWarnEvent(Modbus* link, uint8_t stop);
// 24 raw test values as signed integers.
int PollTestValue(Modbus* link, uint8_t stop);
