#include "settings/ReactiveSign.h"

#include "app/Myfunc.h"

namespace {
// Under "Ind+" inductive is the positive side.
QString PositivePrefix(int reactiveSign) {
  return reactiveSign == 0 ? QStringLiteral("Ind ") : QStringLiteral("Cap ");
}
QString NegativePrefix(int reactiveSign) {
  return reactiveSign == 0 ? QStringLiteral("Cap ") : QStringLiteral("Ind ");
}
// The magnitude shown: the value itself above 0, its negation otherwise.
int Magnitude(int16_t value) { return value > 0 ? value : -static_cast<int>(value); }
}  // namespace

QString SignPrefix(int value, int reactiveSign) {
  return value > 0 ? PositivePrefix(reactiveSign) : NegativePrefix(reactiveSign);
}

QString SignedPercentText(int16_t value, int reactiveSign) {
  return SignPrefix(value, reactiveSign) + QString::number(Magnitude(value)) + QLatin1Char('%');
}

QString CurveTenthsText(int16_t value, int reactiveSign) {
  if (value == 0) return QStringLiteral("Cap 0");
  return SignPrefix(value, reactiveSign) + FormatDeci(static_cast<float>(Magnitude(value))) + QLatin1Char('%');
}

QString CosPhiText(int16_t value, int resolution, int reactiveSign) {
  if (value == resolution || value == -resolution) return QStringLiteral("1");
  const float magnitude = static_cast<float>(Magnitude(value));
  return SignPrefix(value, reactiveSign) + (resolution == 1000 ? FormatMilli(magnitude) : FormatCenti(magnitude));
}

int CosPhiResolution(int cosPhiSet) {
  if (cosPhiSet == 0) return 100;
  if (cosPhiSet == 1) return 1000;
  return 0;
}

int64_t SignedEntry(int64_t value, int choice, int reactiveSign) {
  const bool negate = (choice == kChoiceCap && reactiveSign == 0) || (choice == kChoiceInd && reactiveSign == 1);
  return negate ? -value : value;
}
