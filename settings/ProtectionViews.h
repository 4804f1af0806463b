#pragma once
#include <QString>
#include <cstdint>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;
class TForm_Main;

// Grid-protection trip settings: the voltage group (fast, slow and second slow
// stage of both sides) and the frequency group (fast and slow stage). Each
// value has a label painted blue by the read-back and an edit that posts one
// register write on Enter.
int PollUacProtection(Modbus* link, uint8_t stop);
int PollFreqProtection(Modbus* link, uint8_t stop);

// The grid code whose slow-stage registers the views fill with defaults when
// they read as unset: a country text with C, u and r at positions 0, 1 and 7.
bool SlowStageDefaultsApply(const QString& country);

// The thirty edits of both groups.
std::span<const EditorDecl> ProtectionEditors();
