#pragma once
#include <QString>
#include <cstdint>

class Modbus;
class ValueLabel;

// A poll item reads one register group of the current inverter and fills one
// view. It returns 1 to end polling (stop requested or a request failed) and
// 0 to let the pass go on. It sends nothing while a command waits in the
// mailbox or while its group panel is hidden.
using PollItem = int (*)(Modbus* link, uint8_t stop);

// Opening steps shared by every poll item: the stop flag, the pending
// command, the gating panel (its own hidden flag, not whether its page is on
// screen) and the item's text in status panel 2. Returns true when the item
// is to send its requests; otherwise result holds what it returns at once.
bool PollPrologue(Modbus* link, uint8_t stop, const char* gatePanel, const QString& statusText, int& result);

// A reply is used only when it passed its link's checks and answers the
// function that was sent (an exception reply or silence is skipped).
bool ReplyUsable(const Modbus* link, uint8_t function);

// Word k of a read reply (big-endian, data from byte 3).
uint16_t ReplyWord(const Modbus* link, int k);

// 1 when bit n of value is in the state the selector word asks for: n is the
// highest set bit among bits 0..14 of selector, bit 15 set asks for a 1,
// clear for a 0. A selector without any of bits 0..14 gives 0.
int TestSpecBit(int selector, int value);

// "V" + high byte + "." + (low byte / 10) + (low byte mod 10): 0x0105 gives V1.05.
QString VersionText(uint16_t word);

// The largest power factor a scale word gives.
constexpr int kLargestPowerMul = 1000;

// Decodes the device scale word into the five scale factors; the phase count
// chooses the energy default. Every factor ends as 1, 10, 100 or 1000.
// Returns 0.
int DecodeScaleWord(int word, const int* phaseCount, int* dcCurrentDiv, int* powerMul, int* energyMul,
                    int* acCurrentDiv, int* voltageDiv);

// A value label of the main window by name; nullptr when the view that owns
// it is not built.
ValueLabel* ViewLabel(const char* name);

// Sets the text of a view's value label, when that view is built; the
// label's colour is left as it is.
void SetText(const QString& name, const QString& text);
