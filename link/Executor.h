#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "link/CommandCodes.h"

class Modbus;
class TForm_Main;

// Puts one command into the link's one-slot mailbox (overwriting what waits
// there); the polling loop hands it to the executor between two passes.
void PostCommand(Modbus& link, int code, int reg = 0, int value = 0, int value2 = 0);

// Whether the command target is every listed inverter ("Broadcast") rather
// than the current one; editors whose value depends on the target ask too.
bool BroadcastChosen(const TForm_Main& f);

// The executor's fixed pauses are plain sleeps (no event processing). Tests
// may record them instead of waiting; nullptr restores real sleeping.
void SetExecutorSleep(std::function<void(int ms)> sleep);

// Output relay 1's mode as the dry-contact test ON read it, for its OFF;
// nothing until an ON has read it, and again once the OFF restored it.
extern std::optional<uint16_t> SavedRelayMode;

// The 13 characters of the serial number, taken from the edit when command
// 311 was posted: the edit may change before the command runs.
extern std::string PostedSerialNumber;
