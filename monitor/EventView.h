#pragma once
#include <QString>
#include <cstdint>

class Modbus;

// The last 30 entries of the device's event record, three pages of ten.
int PollErrorEvent(Modbus* link, uint8_t stop);
// One value per listed error code.
int PollErrorCodes(Modbus* link, uint8_t stop);

// The display text of a power-factor setting code; "??" outside 0..41.
QString CosPhiText(unsigned code);
