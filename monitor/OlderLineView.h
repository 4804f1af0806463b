#pragma once
#include <cstdint>

class Modbus;

// The older product line, asked with framed requests: identification, the
// two DC inputs and the AC output.
int PollMerivonTest(Modbus* link, uint8_t stop);
int PollMerivonDc1(Modbus* link, uint8_t stop);
int PollMerivonDc2(Modbus* link, uint8_t stop);
int PollMerivonAc1(Modbus* link, uint8_t stop);
