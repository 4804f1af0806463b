#pragma once
#include <cstdint>

class Modbus;

// The first item of every pass: register map, firmware versions, serial
// number and model name of the current inverter, and the scale word, phase
// count and signed-value convention that every later view decodes with.
int PollVersion(Modbus* link, uint8_t stop);
