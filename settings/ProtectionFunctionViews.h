#pragma once
#include <cstdint>
#include <functional>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;

// The protection functions, one small group each: insulation monitoring,
// ground current, DC injection, communication-loss protection, the two
// emergency power-off inputs, islanding, anti-islanding and arc-fault
// detection. Each read-back paints what the inverter holds; the editors
// switch coils, write limits and modes, and unlock or test the arc detector.
int PollInsulation(Modbus* link, uint8_t stop);
int PollGroundCurr(Modbus* link, uint8_t stop);
int PollDcInj(Modbus* link, uint8_t stop);
int PollCommProtection(Modbus* link, uint8_t stop);
int PollEPO(Modbus* link, uint8_t stop);
int PollIslanding(Modbus* link, uint8_t stop);
int PollAntiIsland(Modbus* link, uint8_t stop);
int PollARCTest(Modbus* link, uint8_t stop);

// The editors of the eight groups.
std::span<const EditorDecl> ProtectionFunctionEditors();

