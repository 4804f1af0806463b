#pragma once
#include <cstdint>

class Modbus;

// Derating records: the first twelve episodes of each record area, with
// their start time and accumulated seconds.
int PollDeratingRecordsOPV(Modbus* link, uint8_t stop);
int PollDeratingRecordsVin(Modbus* link, uint8_t stop);
int PollDeratingRecordsOPVLo(Modbus* link, uint8_t stop);
int PollDeratingRecordsPM(Modbus* link, uint8_t stop);

// The derating cause flags, one label per cause.
int PollDeratingRecords(Modbus* link, uint8_t stop);

// The failed internal and external fans, one label per fan.
int PollFanFail(Modbus* link, uint8_t stop);
