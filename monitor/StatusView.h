#pragma once
#include <QString>
#include <cstdint>

class Modbus;

// Operating state of the current inverter: remote on/off, state code with its
// text, reconnect countdown, constant-voltage setting, maximum-power limit and
// the grid lock. Its read-back labels turn blue again after an editor's write.
int PollStatus(Modbus* link, uint8_t stop);

// The state text of a code in the profile's table variant (0 or 1); any other
// variant has no texts.
QString InverterStateText(int variant, int code);

// "1,001" for 1001; values up to 1000 without a separator.
QString MaxPowerText(int watts);
