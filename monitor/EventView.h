#pragma once
#include <QString>
#include <cstdint>

class Modbus;

// The last 30 entries of the device's event record, three pages of ten.
int PollErrorEvent(Modbus* link, uint8_t stop);
// One value per listed error code.
int PollErrorCodes(Modbus* link, uint8_t stop);

// 1 when bit n of value is in the state the selector word asks for: n is the
// highest set bit among bits 0..14 of selector, bit 15 set asks for a 1,
// clear for a 0. A selector without any of bits 0..14 gives 0.
int TestSpecBit(int selector, int value);

// The display text of a power-factor setting code; "??" outside 0..41.
QString CosPhiText(unsigned code);
