#pragma once
#include <QString>
#include <functional>

// Where the energy-history transfer shows its progress ("Day: 17"): the main
// window's Label_EnergyDsp unless a test installed another sink.
using EnergyProgressSink = std::function<void(const QString&)>;
void SetEnergyProgressSink(EnergyProgressSink sink);

// Results of the history transfers beyond 0 (done) and 1 (the link failed):
// the inverter gave no valid reply, so the transfer stopped.
inline constexpr int kHistoryNoReply = 2;

class TForm_Main;
// Gives the energy-clone buttons back when their command is dropped unrun.
// The buttons post their commands as editor rows.
void BindEnergyHandlers(TForm_Main& f);
// Enables or disables the two energy-clone buttons.
void EnableEnergyButtons(TForm_Main& f, bool read, bool write);
