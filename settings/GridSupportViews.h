#pragma once
#include <cstdint>
#include <span>

#include "settings/SettingEditors.h"

class Modbus;

// Grid-support settings: reactive power by mode and its curves, the active
// power limit and the power reductions over frequency and voltage. Each group
// has its read-back poll item and its editor table.
int PollReactivePower(Modbus* link, uint8_t stop);
std::span<const EditorDecl> ReactivePowerEditors();

int PollQUCtrl(Modbus* link, uint8_t stop);
std::span<const EditorDecl> QUCtrlEditors();

int PollCosPCtrl(Modbus* link, uint8_t stop);
std::span<const EditorDecl> CosPCtrlEditors();

int PollExtendCosphiP(Modbus* link, uint8_t stop);
std::span<const EditorDecl> ExtendCosphiPEditors();

int PollQofP(Modbus* link, uint8_t stop);
std::span<const EditorDecl> QofPEditors();

int PollQbyNight(Modbus* link, uint8_t stop);
std::span<const EditorDecl> QbyNightEditors();

int PollCosphiOfU(Modbus* link, uint8_t stop);
std::span<const EditorDecl> CosphiOfUEditors();

int PollActivePower(Modbus* link, uint8_t stop);
std::span<const EditorDecl> ActivePowerEditors();

int PollPFCtrl(Modbus* link, uint8_t stop);
std::span<const EditorDecl> PFCtrlEditors();

int PollPUFunction(Modbus* link, uint8_t stop);
std::span<const EditorDecl> PUFunctionEditors();
