#pragma once
#include <cstdint>
#include <functional>
#include <span>

class Modbus;
class TForm_Main;
struct EditorDecl;

// Dry-contact modes of both contacts (the low three bits of 48173 and 48174).
int PollDryContact(Modbus* link, uint8_t stop);
// Night mode: the flag the night-mode editors set and clear in 48158.
int PollNightMode(Modbus* link, uint8_t stop);

// The editors acting on the operating state (remote ON/OFF, constant
// voltage, maximum power, grid unlock), on single settings of the status,
// output-power, event, version, anti-PID and AC-terminal groups, on the dry
// contacts and their test, and on the night mode.
std::span<const EditorDecl> StatusCommandEditors();


// The maximum power an inverter with the power factor `powerMul` takes: a
// register's 65535 times the factor, in watts.
int64_t MostPowerWatts(int powerMul);
// Refuses maximum power outside 0 to `mostWatts` with a message in watts.
void ShowPowerRange(int64_t mostWatts);

// The dry-contact test's buttons: while it runs ON is disabled and OFF
// enabled, otherwise the other way round.
void ShowDryContactTestRunning(TForm_Main& f, bool running);
