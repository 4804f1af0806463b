#pragma once
#include <cstdint>
#include <functional>

#include "link/CommandCodes.h"

class Modbus;

// Puts one command into the link's one-slot mailbox (overwriting what waits
// there); the polling loop hands it to the executor between two passes.
void PostCommand(Modbus& link, int code, int reg = 0, int value = 0, int value2 = 0);

// The lifetime-energy command: the typed energy times 10, truncated, as a
// 32-bit value in CmdValue (low word) and CmdValue2 (high word). Refuses a
// negative value or one beyond 32 bits: returns 1 and posts nothing.
int PostLifeEnergy(Modbus& link, double typed);

// The executor's fixed pauses are plain sleeps (no event processing). Tests
// may record them instead of waiting; nullptr restores real sleeping.
void SetExecutorSleep(std::function<void(int ms)> sleep);

// The output-relay mode saved by the dry-contact test ON for its OFF.
extern int SavedRelayMode;
