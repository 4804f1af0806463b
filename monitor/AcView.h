#pragma once
#include <cstdint>

class Modbus;
class TForm_Main;

// The AC side. PollAC reads all three phases and the output totals in one
// block and follows the inverter's AC terminal type (three-wire terminals
// show line-to-line voltages); PollAC1..3 read one phase each, with second
// readings, through two pages of the measurement window.
int PollAC(Modbus* link, uint8_t stop);
int PollAC1(Modbus* link, uint8_t stop);
int PollAC2(Modbus* link, uint8_t stop);
int PollAC3(Modbus* link, uint8_t stop);
// The off-grid three-phase output and the split-phase L-N/S-T output.
int PollStandAlone3P(Modbus* link, uint8_t stop);
int PollLNST(Modbus* link, uint8_t stop);

// Voltage captions of the three phase panels: -1 "Voltage", 0 "Voltage(L-N)",
// 1 "Voltage(L-L)" with the second readings hidden; 2 "Voltage(L-N)" with
// them shown. Any other variant changes nothing.
void SetVoltageCaptions(TForm_Main& f, int variant);
