#include "monitor/MeasureTexts.h"

#include "app/Myfunc.h"
#include "app/main.h"

QString VoltageText(const TForm_Main& f, uint16_t word, const char* unit) {
  return FormatScaledFloat(word, f.VoltageDiv) + QLatin1String(unit);
}

QString CurrentText(const TForm_Main& f, int raw, int divisor, const char* unit) {
  return FormatScaledInt(raw, divisor, f.SignedValues) + QLatin1String(unit);
}

QString PowerText(const TForm_Main& f, uint16_t word, bool isSigned, const char* unit) {
  const int value = isSigned && f.SignedValues == 1 ? static_cast<int16_t>(word) : static_cast<int>(word);
  return QString::number(value * f.PowerMul) + QLatin1String(unit);
}

QString FrequencyText(uint16_t word) { return FormatCenti(word) + QStringLiteral(" Hz"); }
