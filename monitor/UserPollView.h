#pragma once
#include <QString>
#include <cstdint>
#include <span>

class Modbus;
class TForm_Main;
class ValueLabel;
struct EditorDecl;

// Four lists of ten rows, each row an address and a register type chosen by
// the user; the row's label shows the register read in every pass. Lists 1
// and 2 show unsigned decimals, list 3 signed decimals, list 4 hexadecimal.
int PollUser01(Modbus* link, uint8_t stop);
int PollUser02(Modbus* link, uint8_t stop);
int PollUser03(Modbus* link, uint8_t stop);
int PollUser04(Modbus* link, uint8_t stop);

// Type index of a row (0 "Coil", 1 "IR", 2 "HR") to its read function:
// 1, 4, 3; -1 for anything else (no type chosen).
int UserPollFunctionCode(int typeIndex);

// One row: reads the register and shows it in the label, "Error" for an
// unusable reply. An idle row (no type, or no usable address) sends nothing.
// 1 when the request failed, else 0.
int ReadUserRowUnsigned(Modbus* link, const QString& address, int typeIndex, ValueLabel* label);
int ReadUserRowSigned(Modbus* link, const QString& address, int typeIndex, ValueLabel* label);
int ReadUserRowHex(Modbus* link, const QString& address, int typeIndex, ValueLabel* label);

// Clean All of list 0 to 3: every row's address, type and value emptied, so
// the rows become idle; the value labels keep their captions.
void ClearUserPollList(TForm_Main& f, int list);

// The forty value edits: Enter writes the typed value to the row's coil
// (function 5) or holding register (function 6). A row of another type or
// without a usable address posts nothing.
std::span<const EditorDecl> UserPollEditors();
