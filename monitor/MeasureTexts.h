#pragma once
#include <QString>
#include <cstdint>

class TForm_Main;

// Value texts of the AC and DC measurement views, with the current
// inverter's scale factors. "Signed" words are two's complement only while
// the inverter reports signed values.

// Voltage word by VoltageDiv, unsigned.
QString VoltageText(const TForm_Main& f, uint16_t word, const char* unit = " V");
// Current word by the given divisor, signed per SignedValues.
QString CurrentText(const TForm_Main& f, int raw, int divisor, const char* unit = " A");
// Power word times PowerMul as a decimal integer; signed per SignedValues
// when isSigned.
QString PowerText(const TForm_Main& f, uint16_t word, bool isSigned, const char* unit = " W");
// Frequency word / 100 with two decimals.
QString FrequencyText(uint16_t word);
