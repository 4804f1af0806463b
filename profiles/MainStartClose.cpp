#include "app/main.h"

// Start values before the user can act; the profile list, the remembered
// language and inverters and the tree come with the profile code.
void TForm_Main::FormShow() {
  PollStop = 1;
  CurrentPage = -1;
  ReclosureRate = 10;
  ReactiveSign = 0;
  PowerMul = 1;
  EnergyMul = 10;
  VoltageDiv = 10;
  DcCurrentDiv = 100;
  AcCurrentDiv = 100;
}

void TForm_Main::FormClose() { PollStop = 1; }
