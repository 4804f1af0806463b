#pragma once
#include <QString>
#include <cstdint>

class Modbus;

// The OEM model's monitor panels, all with fixed scales: generation time,
// start date, maxima and controller versions; the grid-protection set
// points; the DC inputs, AC output and energy counters.
int PollBrennikMM(Modbus* link, uint8_t stop);
int PollBRKSetPoint(Modbus* link, uint8_t stop);
int PollBRKEnergy(Modbus* link, uint8_t stop);

// The OEM version text: "V", each byte as at least two digits ("V01.05" for 0x0105).
QString OemVersionText(uint16_t word);
