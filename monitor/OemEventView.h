#pragma once
#include <cstdint>

class Modbus;

// The OEM model's suppression events: sixteen records of each record area,
// with their start time and total occurrence time as hh:mm:ss.
int PollBRKThermalEvent(Modbus* link, uint8_t stop);
int PollBRKOpvEvent(Modbus* link, uint8_t stop);
int PollBRKVinEvent(Modbus* link, uint8_t stop);
int PollBRKOpvloEvent(Modbus* link, uint8_t stop);
