#pragma once
#include <cstdint>

class Modbus;

// Raw converter counts of the measurement channels, one page at a time.
int PollADC(Modbus* link, uint8_t stop);
// Positive and negative DC bus voltages.
int PollVbus(Modbus* link, uint8_t stop);
// Total DC bus voltage (and the Pbus count of the converter panel).
int PollTotalBus(Modbus* link, uint8_t stop);
// Energy fed today and over the lifetime, with the matching run times.
int PollOutputPower(Modbus* link, uint8_t stop);
