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
// Wires the energy-clone buttons.
void BindEnergyHandlers(TForm_Main& f);
