#pragma once
#include <QString>

// The radio dongle's frequency as the link panel's edit gives it, in MHz with
// one decimal ("928.9"), turned into units of 0.1 MHz (9289). The text is
// read with a point (a comma is taken too) whatever the user's locale; empty
// or invalid text gives 0, which the frequency selection refuses.
int RadioFreqTenthsFromText(const QString& text);
