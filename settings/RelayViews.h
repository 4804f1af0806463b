#pragma once
#include <cstdint>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;
class TForm_Main;

// The two multi-function output relays, shown and edited one at a time as
// Combo_SelectRelay chooses (no choice counts as relay 1).
int PollRelayFunction(Modbus* link, uint8_t stop);
std::span<const EditorDecl> RelayFunctionEditors();
// Relay 1 is the relay shown while the selector has no choice; the panel
// says so from the start.
void SelectFirstRelay(const TForm_Main& f);

// The trigger inputs for the reverse-power and over-voltage ground relays:
// single flags set or cleared by command words.
int PollRPROVGR(Modbus* link, uint8_t stop);
std::span<const EditorDecl> RprOvgrEditors();

// The K4Q model's settings: parallel and efficiency mode, the arc-fault
// detector and the shadow mode.
int PollK4QSetting(Modbus* link, uint8_t stop);
std::span<const EditorDecl> K4QSettingEditors();
