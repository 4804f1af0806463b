#pragma once
#include <cstdint>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;

// Fault ride-through: how the inverter rides through voltage dips (mode,
// three times, fault drop and U1, the dead band, the K factor) and swells
// (mode, two levels, two times) instead of disconnecting.
int PollLVFR(Modbus* link, uint8_t stop);

// The fourteen editors of the group.
std::span<const EditorDecl> FaultRideThroughEditors();
