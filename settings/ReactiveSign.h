#pragma once
#include <QString>
#include <cstdint>

// The reactive sign rule and the cos φ display shared by the reactive-power
// groups. Pure: the profile options come in as arguments.
//
// ReactiveSign 0 is the "Ind+" convention (inductive values positive in the
// register), 1 the "Ind-" convention (inductive values negative). CosPhiSet 0
// keeps cos φ in hundredths ("1%"), 1 in thousandths ("0.1%").

// The item a sign chooser shows: "Ind" (0) or "Cap" (1).
enum SignChoice { kChoiceInd = 0, kChoiceCap = 1 };

// "Ind " or "Cap " (both end in a blank): the positive prefix for a value
// above 0, the other one for 0 and below.
QString SignPrefix(int value, int reactiveSign);

// A signed whole percent: prefix, magnitude, "%" ("Ind 30%", "Cap 0%").
QString SignedPercentText(int16_t value, int reactiveSign);

// A signed value in tenths of a percent on a curve: "Cap 0" for 0 under
// either convention, else prefix, magnitude / 10 with one decimal and "%".
QString CurveTenthsText(int16_t value, int reactiveSign);

// A cos φ register at `resolution` (100 or 1000 per unit): exactly plus or
// minus one unit is "1" without prefix; anything else the prefix and the
// magnitude with two (hundredths) or three (thousandths) decimals.
QString CosPhiText(int16_t value, int resolution, int reactiveSign);

// The resolution of the CosPhiSet option: 100, 1000, or 0 for a value the
// option does not take.
int CosPhiResolution(int cosPhiSet);

// A typed value (after its value rule) and the chooser's item to the value
// written: negated for "Cap" under "Ind+" and for "Ind" under "Ind-".
int64_t SignedEntry(int64_t value, int choice, int reactiveSign);
