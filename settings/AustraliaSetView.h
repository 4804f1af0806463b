#pragma once
#include <cstdint>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;

// What the Australian and New Zealand grid codes add: the DRM state, a second
// over-voltage stage and the start and stop voltages of the power-versus-
// voltage function.
int PollAustraliaSet(Modbus* link, uint8_t stop);

// The five edits of the group.
std::span<const EditorDecl> AustraliaSetEditors();
