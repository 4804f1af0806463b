#pragma once
#include <cstdint>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;

// The inverter models for the Japanese grid: the service panel (identity,
// operating state and coil switches), the user settings in their current and
// older register layouts, the active power control and the event list.
int PollJapanSet(Modbus* link, uint8_t stop);
std::span<const EditorDecl> JapanSetEditors();

int PollJapUserSet(Modbus* link, uint8_t stop);
int PollJapUserSetOld(Modbus* link, uint8_t stop);
std::span<const EditorDecl> JapUserSetEditors();

int PollJapanActivePower(Modbus* link, uint8_t stop);
int PollJapanErrorList(Modbus* link, uint8_t stop);
std::span<const EditorDecl> JapanActivePowerEditors();
